#!/bin/bash
# Lays out the sample distribution build/win32/dist/: setup.exe (signed when a
# certificate is given), the stand-in client CV.exe, the three documents, the
# template database CV.ini made with the host's cvdb tool, and the file list
# CVFiles.txt naming them all with their sizes and SHA-256. Then the one-file
# form beside it: build/win32/Corvaline-<version>-setup.exe (the unsigned
# setup.exe carrying every listed file, setup.exe as it lies in the folder
# too: the installed uninstaller; made by the host's cvpack), itself signed
# when a certificate is given, and its SHA-256 in
# Corvaline-<version>-setup.exe.sha256. Run after the host and win32 builds;
# running it again gives the same files.
#   CV_WIN32_DIR / CV_HOST_DIR choose other build folders (default build/win32,
#   build/host); the distribution is always <win32 dir>/dist.
#   CV_DIST_EXTRA: a folder whose plain files join the distribution (the
#   benchmarks' and tests' big payloads).
#   CV_SIGN_CERT, CV_SIGN_KEY: the code-signing certificate (chain) and its
#   private key, PEM or DER files; both or neither. CV_SIGN_PASSFILE: a file
#   holding the key's password, when it has one. CV_SIGN_TIMESTAMP_URL: an
#   RFC 3161 time-stamp server; without one the signature is invalid once the
#   certificate has expired.
set -euo pipefail
cd "$(dirname "$0")/.."

win=${CV_WIN32_DIR:-build/win32}
host=${CV_HOST_DIR:-build/host}
dist=$win/dist
docs=tools/dist

fail() {
  echo "make_dist: $*" >&2
  exit 1
}

for tool in cvdb cvpack; do
  [ -x "$host/$tool" ] || fail "$host/$tool is missing: build the host tools first (make host)"
done
[ -f "$win/setup.exe" ] || fail "$win/setup.exe is missing: build the Windows build first (make win32)"
[ -f "$win/standin/CV.exe" ] || fail "$win/standin/CV.exe (the stand-in client) is missing: make win32"

version=$(sed -n 's/^set(CV_PRODUCT_VERSION "\(.*\)")$/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no CV_PRODUCT_VERSION in CMakeLists.txt"

signing=
if [ -n "${CV_SIGN_CERT:-}${CV_SIGN_KEY:-}" ]; then
  [ -f "${CV_SIGN_CERT:-}" ] && [ -f "${CV_SIGN_KEY:-}" ] \
    || fail "CV_SIGN_CERT and CV_SIGN_KEY must both name files"
  command -v osslsigncode >/dev/null || fail "osslsigncode is missing (tools/deps.sh installs it)"
  signing=1
fi

# sign IN OUT: OUT is IN with an Authenticode signature appended (SHA-256).
sign() {
  local pass=() stamp=()
  [ -n "${CV_SIGN_PASSFILE:-}" ] && pass=(-readpass "$CV_SIGN_PASSFILE")
  [ -n "${CV_SIGN_TIMESTAMP_URL:-}" ] && stamp=(-ts "$CV_SIGN_TIMESTAMP_URL")
  osslsigncode sign -certs "$CV_SIGN_CERT" -key "$CV_SIGN_KEY" "${pass[@]}" "${stamp[@]}" -h sha256 \
    -n "Corvaline Setup" -in "$1" -out "$2" >/dev/null
}

# Made aside and swapped in whole: setup installs every file of the folder, so
# no file of an earlier layout may stay, and a failure leaves no half folder.
tmp=$(mktemp -d "$win/dist.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"

# The program signed first: the folder form runs it, and the one-file form
# installs it as the uninstaller.
if [ -n "$signing" ]; then
  sign "$win/setup.exe" "$tmp/setup.exe" || fail "osslsigncode could not sign setup.exe"
else
  cp "$win/setup.exe" "$tmp/setup.exe"
fi
cp "$win/standin/CV.exe" "$tmp/CV.exe"
# Windows line ends in the text files, as Notepad expects them.
for f in License.txt ReadMe.txt QuickStart.rtf; do
  sed 's/\r*$/\r/' "$docs/$f" >"$tmp/$f"
done

# The client's first settings; setup reads "Version" from here.
# The quote mark ends in a blank.
printf '%s\n' "Version=$version" "Cutmarks=~~" "QteMarks=> " "WordWrap=1" "FontName=Courier New" \
  "FontSize=10" | "$host/cvdb" put "$tmp/CV.ini" Initialization || fail "cvdb could not write CV.ini"
[ "$("$host/cvdb" init-get "$tmp/CV.ini" Version)" = "$version" ] \
  || fail "CV.ini does not give back the version $version"

if [ -n "${CV_DIST_EXTRA:-}" ]; then
  [ -d "$CV_DIST_EXTRA" ] || fail "CV_DIST_EXTRA: no folder $CV_DIST_EXTRA"
  find "$CV_DIST_EXTRA" -maxdepth 1 -type f -exec cp {} "$tmp/" \;
fi

# Last, as it names every file above.
"$host/cvpack" filelist "$tmp" "$tmp/CVFiles.txt" || fail "cvpack could not write the file list"

rm -rf "$dist"
mv "$tmp" "$dist"
trap - EXIT
echo "make_dist: $dist ($(ls "$dist" | tr '\n' ' '))"

# The one-file form.
name=Corvaline-$version-setup.exe
out=$win/$name
rm -f "$out" "$out.sha256"
# The unsigned program carries the files: a signature must come after them.
"$host/cvpack" pack "$win/setup.exe" "$dist/CVFiles.txt" "$out" || fail "cvpack could not make $out"
if [ -n "$signing" ]; then
  # Appended to, not rewritten: the payload stays where the reader looks, and
  # the signature covers it.
  if ! sign "$out" "$out.signed"; then
    rm -f "$out" "$out.signed"
    fail "osslsigncode could not sign $out"
  fi
  mv "$out.signed" "$out"
  "$host/cvpack" verify "$out" >/dev/null || fail "the signed $out no longer carries a sound payload"
fi
(cd "$win" && sha256sum "$name" >"$name.sha256")
echo "make_dist: $out ($(stat -c %s "$out") bytes$([ -n "$signing" ] && echo ", signed"))"

# The winget manifest for the one-file setup.exe, whose hash the .sha256 file holds.
bash tools/winget_manifest.sh "$out" "$win/winget" >/dev/null

#!/bin/bash
# Lays out the sample distribution build/win32/dist/: setup.exe, the stand-in
# client CV.exe, the three documents, and the template database CV.ini made
# with the host's cvdb tool. Run after the host and win32 builds; running it
# again gives the same folder.
#   CV_WIN32_DIR / CV_HOST_DIR choose other build folders (default build/win32,
#   build/host); the distribution is always <win32 dir>/dist.
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

[ -x "$host/cvdb" ] || fail "$host/cvdb is missing: build the host tools first (make host)"
[ -f "$win/setup.exe" ] || fail "$win/setup.exe is missing: build the Windows build first (make win32)"
[ -f "$win/standin/CV.exe" ] || fail "$win/standin/CV.exe (the stand-in client) is missing: make win32"

version=$(sed -n 's/^set(CV_PRODUCT_VERSION "\(.*\)")$/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no CV_PRODUCT_VERSION in CMakeLists.txt"

# Made aside and swapped in whole: setup installs every file of the folder, so
# no file of an earlier layout may stay, and a failure leaves no half folder.
tmp=$(mktemp -d "$win/dist.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"

cp "$win/setup.exe" "$tmp/setup.exe"
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

rm -rf "$dist"
mv "$tmp" "$dist"
trap - EXIT
echo "make_dist: $dist ($(ls "$dist" | tr '\n' ' '))"

# The winget manifest for the setup.exe that ships.
bash tools/winget_manifest.sh "$dist/setup.exe" "$win/winget" >/dev/null

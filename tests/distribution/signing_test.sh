#!/bin/bash
# make_dist's one-file setup.exe, signed with a throw-away certificate: the
# signature verifies and the payload still checks; one flipped payload byte
# fails both. A time-stamp server given reaches osslsigncode.
# Usage: signing_test.sh <cvpack>; the win32 build's setup.exe and stand-in
# client come from CV_WIN32_DIR (default build/win32).
set -euo pipefail
cd "$(dirname "$0")/../.."
cvpack=$(realpath "$1")
host=$(dirname "$cvpack")
win32=$(realpath "${CV_WIN32_DIR:-build/win32}")
for f in setup.exe standin/CV.exe; do
  [ -f "$win32/$f" ] || { echo "missing $win32/$f: build the win32 build first" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

mkdir -p "$work/win/standin"
cp "$win32/setup.exe" "$work/win/"
cp "$win32/standin/CV.exe" "$work/win/standin/"
echo secret >"$work/pass"
openssl req -x509 -newkey rsa:2048 -days 2 -subj "/CN=Corvaline Test Signer" -passout "file:$work/pass" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
# A time-stamp server reaches osslsigncode as -ts. None answers here: a
# stand-in first on PATH notes the options and signs without that one.
mkdir "$work/bin"
cat >"$work/bin/osslsigncode" <<EOF
#!/bin/bash
echo "\$*" >>"$work/osslsigncode.args"
args=()
while [ \$# -gt 0 ]; do [ "\$1" = -ts ] && shift 2 || { args+=("\$1"); shift; }; done
exec $(command -v osslsigncode) "\${args[@]}"
EOF
chmod +x "$work/bin/osslsigncode"
PATH=$work/bin:$PATH CV_WIN32_DIR=$work/win CV_HOST_DIR=$host CV_SIGN_CERT=$work/cert.pem \
  CV_SIGN_KEY=$work/key.pem CV_SIGN_PASSFILE=$work/pass CV_SIGN_TIMESTAMP_URL=http://timestamp.test/rfc3161 \
  bash tools/make_dist.sh >"$work/make_dist.log" || { cat "$work/make_dist.log"; fail "make_dist"; }
grep -q -- "^sign .* -ts http://timestamp.test/rfc3161 " "$work/osslsigncode.args" \
  || fail "the time-stamp server did not reach osslsigncode: $(cat "$work/osslsigncode.args")"

version=$(sed -n 's/^set(CV_PRODUCT_VERSION "\(.*\)")$/\1/p' CMakeLists.txt)
exe=$work/win/Corvaline-$version-setup.exe
head -1 "$work/win/dist/CVFiles.txt" | grep -qx $'Corvaline file list 1\r' || fail "the list's first line"
grep -q ' setup.exe'$'\r''$' "$work/win/dist/CVFiles.txt" || fail "the list does not name setup.exe"
(cd "$work/win" && sha256sum --quiet -c "Corvaline-$version-setup.exe.sha256") || fail "the .sha256 file"
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1; }
verify "$exe" || { cat "$work/verify.log"; fail "osslsigncode verify of the signed file"; }
"$cvpack" verify "$exe" >/dev/null || fail "cvpack verify of the signed file"
[ "$("$cvpack" list "$exe" | grep -c ' CV.exe$')" = 1 ] || fail "cvpack list does not show CV.exe"

# One byte inside the payload: just past the program's own bytes.
bad=$work/bad.exe
cp "$exe" "$bad"
at=$(($(stat -c %s "$work/win/dist/setup.exe") + 100))
printf "$(printf '\\x%02x' $(( $(od -An -tu1 -j "$at" -N1 "$bad") ^ 1 )))" \
  | dd of="$bad" bs=1 seek="$at" conv=notrunc status=none
cmp -s "$exe" "$bad" && fail "the byte was not flipped"
verify "$bad" && fail "osslsigncode verify passed a flipped payload byte"
rc=0; "$cvpack" verify "$bad" 2>/dev/null || rc=$?
[ "$rc" = 1 ] || fail "cvpack verify of a flipped payload byte: exit $rc, not 1"
rc=0; "$cvpack" verify "$work/win/dist/setup.exe" 2>/dev/null || rc=$?
[ "$rc" = 1 ] || fail "cvpack verify of a plain setup.exe: exit $rc, not 1"
rc=0; "$cvpack" 2>/dev/null || rc=$?
[ "$rc" = 2 ] || fail "cvpack without a command: exit $rc, not 2"
echo "signed, verified, and a flipped payload byte refused by both"

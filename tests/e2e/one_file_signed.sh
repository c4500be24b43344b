#!/bin/bash
# The one-file setup.exe as `make dist` signs it, carrying a 20 MiB file beside
# the sample distribution's, in a Wine session of its own: it installs; the
# installed uninstaller is the plain signed program (the folder form's
# setup.exe byte for byte, no payload) and removes everything, itself too; the
# file installs again; a byte flipped in the middle of the big file's packed
# data fails the install as it is unpacked, and everything is taken back (exit
# code 10); a flipped byte of the directory is refused before anything changes.
#   one_file_signed.sh <win32 build folder>   (the host tools: CV_HOST_DIR,
#                                              default build/host)
set -euo pipefail
win32=$(realpath "$1")
cd "$(dirname "$0")/../.."
host=$(realpath "${CV_HOST_DIR:-build/host}")
command -v osslsigncode >/dev/null && command -v openssl >/dev/null || { echo "needs osslsigncode and openssl" >&2; exit 1; }
work=$(mktemp -d)
source tests/wine/env.sh
wine_env_start one-file >/dev/null || exit 1
trap 'wine_env_stop; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

mkdir -p "$work/win/standin" "$work/extra"
cp "$win32/setup.exe" "$work/win/"
cp "$win32/standin/CV.exe" "$work/win/standin/"
head -c $((20 << 20)) /dev/urandom >"$work/extra/Archive.bin"
openssl req -x509 -newkey rsa:2048 -days 2 -nodes -subj "/CN=Corvaline Test Signer" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
CV_WIN32_DIR=$work/win CV_HOST_DIR=$host CV_DIST_EXTRA=$work/extra CV_SIGN_CERT=$work/cert.pem \
  CV_SIGN_KEY=$work/key.pem bash tools/make_dist.sh >"$work/make_dist.log" 2>&1 \
  || { cat "$work/make_dist.log"; fail "make_dist"; }
exe=$(ls "$work"/win/Corvaline-*-setup.exe)
plain=$work/win/dist/setup.exe
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1; }
verify "$exe" || { cat "$work/verify.log"; fail "the signed one file does not verify"; }

c=$WINEPREFIX/drive_c
mkdir -p "$c/Downloads"
cp "$exe" "$c/Downloads/Corvaline-setup.exe"
echo "the user's" >"$c/Downloads/Tax-Return-2025.pdf"
run() { wine "$@" </dev/null >/dev/null 2>&1; echo $?; }
installed() { (cd "$c/Apps/Corvaline" 2>/dev/null && ls | tr '\n' ' '); }

[ "$(run 'C:\Downloads\Corvaline-setup.exe' /S '/LOG=C:\setup.log' '/D=C:\Apps\Corvaline')" = 0 ] \
  || { cat "$c/setup.log"; fail "install"; }
[ "$(installed)" = "Archive.bin CV.dbc CV.exe CV.ini CVFiles.txt CVSetup.txt License.txt QuickStart.rtf ReadMe.txt UninstCV.exe " ] \
  || fail "installed: $(installed)"
cmp -s "$work/extra/Archive.bin" "$c/Apps/Corvaline/Archive.bin" || fail "the big file arrived changed"
uninstaller=$c/Apps/Corvaline/UninstCV.exe
[ "$(stat -c %s "$uninstaller")" = "$(stat -c %s "$plain")" ] \
  || fail "the uninstaller has $(stat -c %s "$uninstaller") bytes, the program $(stat -c %s "$plain")"
cmp -s "$uninstaller" "$plain" || fail "the uninstaller is not the plain program"
carried=$("$host/cvpack" verify "$uninstaller" 2>&1 || true)
[[ "$carried" == *"nothing follows the program"* ]] || fail "the uninstaller carries a payload: $carried"
verify "$uninstaller" || fail "the installed uninstaller's signature"

[ "$(run 'C:\Apps\Corvaline\UninstCV.exe' /S '/LOG=C:\uninstall.log')" = 0 ] || { cat "$c/uninstall.log"; fail "uninstall"; }
for i in $(seq 50); do [ -f "$c/Apps/Corvaline/UninstCV.exe" ] || break; sleep 0.2; done
[ "$(installed)" = "CV.dbc " ] || fail "left after the removal: $(installed)"

[ "$(run 'C:\Downloads\Corvaline-setup.exe' /S '/D=C:\Apps\Corvaline')" = 0 ] || fail "install again"
[ -f "$c/Apps/Corvaline/CV.exe" ] || fail "the second install"

# Where the entries lie: the unsigned program carries them from its end on,
# in the order cvpack lists them ("sha256 size packed name"), the directory after.
read -r big directory < <("$host/cvpack" list "$exe" | awk -v at="$(stat -c %s "$work/win/setup.exe")" '
  NF == 4 { if ($4 == "Archive.bin") big = at + int($3 / 2); at += $3 } END { print big, at }')
flipped() {  # flipped NAME OFFSET: a copy of the one file with that byte changed
  cp "$exe" "$c/Downloads/$1"
  printf "$(printf '\\x%02x' $(( $(od -An -tu1 -j "$2" -N1 "$exe") ^ 0x20 )))" \
    | dd of="$c/Downloads/$1" bs=1 seek="$2" conv=notrunc status=none
}
before=$(wine reg query 'HKCU\Software\Corvaline' 2>/dev/null | tr -d '\r')

# In the middle of the big file: found as it is unpacked; everything taken back.
flipped big.exe "$big"
rm -rf "$c/Apps/Other"
[ "$(run 'C:\Downloads\big.exe' /S '/LOG=C:\big.log' '/D=C:\Apps\Other')" = 10 ] \
  || { cat "$c/big.log"; fail "the damaged entry did not end with exit code 10"; }
grep -q "The setup file is damaged. Please download it again." "$c/big.log" || fail "the damaged entry's log"
grep -q "Installation failed. Nothing was changed." "$c/big.log" || fail "the damaged entry was not taken back"
[ ! -e "$c/Apps/Other" ] || fail "the damaged entry left $(ls "$c/Apps/Other")"
[ "$(wine reg query 'HKCU\Software\Corvaline' 2>/dev/null | tr -d '\r')" = "$before" ] \
  || fail "the damaged entry changed the client's key"

# In the directory: refused at once.
flipped directory.exe $((directory + 10))
[ "$(run 'C:\Downloads\directory.exe' /S '/LOG=C:\directory.log' '/D=C:\Apps\Other')" = 10 ] \
  || fail "the damaged directory was not refused"
grep -q "The setup file is damaged. Please download it again." "$c/directory.log" || fail "the damaged directory's log"
grep -q "program files" "$c/directory.log" && fail "the damaged directory got as far as the install"
[ ! -e "$c/Apps/Other" ] || fail "the damaged directory changed something"
echo "signed one-file setup with 20 MiB: installed, the plain uninstaller removed it, installed again;" \
  "a damaged entry taken back, a damaged directory refused"

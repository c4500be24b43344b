#!/bin/bash
# The one-file setup.exe as a user downloads it, signed with a throw-away
# certificate, in a Wine session of its own: it installs; the installed
# uninstaller still carries a valid signature and removes everything, itself
# too; the file installs again; a damaged copy is refused with nothing changed.
#   one_file_signed.sh <win32 build folder>
set -euo pipefail
win32=$(realpath "$1")
cd "$(dirname "$0")/../.."
command -v osslsigncode >/dev/null && command -v openssl >/dev/null || { echo "needs osslsigncode and openssl" >&2; exit 1; }
exe=$(ls "$win32"/Corvaline-*-setup.exe | head -1)
work=$(mktemp -d)
source tests/wine/env.sh
wine_env_start one-file >/dev/null || exit 1
trap 'wine_env_stop; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

openssl req -x509 -newkey rsa:2048 -days 2 -nodes -subj "/CN=Corvaline Test Signer" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -h sha256 -n "Corvaline Setup" \
  -in "$exe" -out "$work/signed.exe" >/dev/null || fail "signing"
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1; }
verify "$work/signed.exe" || fail "the signed file does not verify"

c=$WINEPREFIX/drive_c
mkdir -p "$c/Downloads"
cp "$work/signed.exe" "$c/Downloads/Corvaline-setup.exe"
echo "the user's" >"$c/Downloads/Tax-Return-2025.pdf"
run() { wine "$@" </dev/null >/dev/null 2>&1; echo $?; }
installed() { (cd "$c/Apps/Corvaline" 2>/dev/null && ls | tr '\n' ' '); }

[ "$(run 'C:\Downloads\Corvaline-setup.exe' /S '/LOG=C:\setup.log' '/D=C:\Apps\Corvaline')" = 0 ] \
  || { cat "$c/setup.log"; fail "install"; }
[ "$(installed)" = "CV.dbc CV.exe CV.ini CVFiles.txt CVSetup.txt License.txt QuickStart.rtf ReadMe.txt UninstCV.exe " ] \
  || fail "installed: $(installed)"
verify "$c/Apps/Corvaline/UninstCV.exe" || fail "the installed uninstaller's signature"

[ "$(run 'C:\Apps\Corvaline\UninstCV.exe' /S '/LOG=C:\uninstall.log')" = 0 ] || { cat "$c/uninstall.log"; fail "uninstall"; }
for i in $(seq 50); do [ -f "$c/Apps/Corvaline/UninstCV.exe" ] || break; sleep 0.2; done
[ "$(installed)" = "CV.dbc " ] || fail "left after the removal: $(installed)"

[ "$(run 'C:\Downloads\Corvaline-setup.exe' /S '/D=C:\Apps\Corvaline')" = 0 ] || fail "install again"
[ -f "$c/Apps/Corvaline/CV.exe" ] || fail "the second install"

# One flipped byte past the program's image: refused at once, nothing changed.
cp "$work/signed.exe" "$c/Downloads/damaged.exe"
size=$(stat -c %s "$work/signed.exe")
printf 'Z' | dd of="$c/Downloads/damaged.exe" bs=1 seek=$((size - 5000)) conv=notrunc status=none
rm -rf "$c/Apps/Other"
[ "$(run 'C:\Downloads\damaged.exe' /S '/LOG=C:\damaged.log' '/D=C:\Apps\Other')" = 10 ] || fail "the damaged file was not refused"
grep -q "The setup file is damaged. Please download it again." "$c/damaged.log" || fail "the damaged file's log"
[ ! -e "$c/Apps/Other" ] || fail "the damaged file changed something"
echo "signed one-file setup: installed, removed, installed again; a damaged copy refused"

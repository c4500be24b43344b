#!/bin/bash
# Writes the winget manifest for the setup.exe that ships into a folder of its
# own: the tracked files of packaging/winget/ with the product's version and
# the installer's SHA-256 filled in.
#   winget_manifest.sh <installer.exe> <output folder>
set -euo pipefail
cd "$(dirname "$0")/.."
installer=$1 out=$2
[ -f "$installer" ] || { echo "winget_manifest: $installer is missing" >&2; exit 1; }
version=$(sed -n 's/^set(CV_PRODUCT_VERSION "\(.*\)")$/\1/p' CMakeLists.txt)
# The hash the .sha256 file beside the installer holds, else the file's own.
if [ -f "$installer.sha256" ]; then hash=$(cut -d' ' -f1 "$installer.sha256"); else hash=$(sha256sum "$installer" | cut -d' ' -f1); fi
hash=$(echo "$hash" | tr a-f A-F)
mkdir -p "$out"
for f in packaging/winget/*.yaml; do
  sed -e "s/^\(\s*\)PackageVersion: .*/\1PackageVersion: $version/" \
      -e "s/^\(\s*\)DisplayVersion: .*/\1DisplayVersion: $version/" \
      -e "s/^\(\s*\)InstallerSha256: .*/\1InstallerSha256: $hash/" \
      -e "s/Corvaline-[^/]*-setup\.exe/Corvaline-$version-setup.exe/" "$f" >"$out/$(basename "$f")"
done
echo "winget_manifest: $out ($version, $hash)"

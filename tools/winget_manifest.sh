#!/bin/bash
# Writes the winget manifest for the setup.exe that ships into a folder of its
# own: the tracked files of packaging/winget/ with the version, the release's
# download address and the installer's SHA-256 filled in.
#   winget_manifest.sh [--url URL] <installer.exe> <output folder>
# URL: where the release's setup.exe is downloaded from (https://...). Without
# it the copy keeps the placeholder address, which no machine reaches.
set -euo pipefail
cd "$(dirname "$0")/.."
url=
if [ "${1:-}" = --url ]; then
  url=${2:?"winget_manifest: --url needs an address"}
  shift 2
fi
[ $# = 2 ] || { echo "usage: winget_manifest.sh [--url URL] <installer.exe> <output folder>" >&2; exit 2; }
installer=$1 out=$2
[ -f "$installer" ] || { echo "winget_manifest: $installer is missing" >&2; exit 1; }
case "$url" in
  ''|http://*|https://*) ;;
  *) echo "winget_manifest: the address must start with https:// (or http://)" >&2; exit 1 ;;
esac
version=$(sed -n 's/^set(CV_PRODUCT_VERSION "\(.*\)")$/\1/p' CMakeLists.txt)
# PackageVersion: the version resource's four numbers, which winget orders as
# setup orders the versions themselves.
package_version=$(cmake -DCV_VERSION_TEXT="$version" -P cmake/file_version.cmake)
product_url=$(sed -n 's/^#define CV_PRODUCT_URL "\(.*\)"$/\1/p' common/product_url.h)
# The hash the .sha256 file beside the installer holds, else the file's own.
if [ -f "$installer.sha256" ]; then hash=$(cut -d' ' -f1 "$installer.sha256"); else hash=$(sha256sum "$installer" | cut -d' ' -f1); fi
hash=$(echo "$hash" | tr a-f A-F)
mkdir -p "$out"
for f in packaging/winget/*.yaml; do
  sed -e "s|^\(\s*\)PackageVersion: .*|\1PackageVersion: $package_version|" \
      -e "s|^\(\s*\)DisplayVersion: .*|\1DisplayVersion: $version|" \
      -e "s|^\(\s*\)PackageUrl: .*|\1PackageUrl: $product_url|" \
      -e "s|^\(\s*\)InstallerSha256: .*|\1InstallerSha256: '$hash'|" \
      -e "s|Corvaline-[^/]*-setup\.exe|Corvaline-$version-setup.exe|" "$f" >"$out/$(basename "$f")"
  [ -z "$url" ] || sed -i "s|^\(\s*\)InstallerUrl: .*|\1InstallerUrl: $(printf '%s' "$url" | sed 's/[&|\\]/\\&/g')|" \
    "$out/$(basename "$f")"
done
echo "winget_manifest: $out ($package_version for $version, $hash, ${url:-no download address: give --url})"

#!/usr/bin/env bash
# Builds the Debian package (qemra-monitor, qemra-sim, the desktop entry and icon, the shipped
# parameter defaults, the man pages, copyright and changelog, the AppStream metainfo and the user
# unit of the headless monitor) with the release preset, which installs under /usr, into
# build-release/package/.
# Install it with: sudo apt install ./build-release/package/qemra-monitor_*.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"
export QEMRA_PRESET="${QEMRA_PRESET:-release}"
source "$root/tools/presets.sh"
build="$(qemra_build_dir)"
export QEMRA_BUILD_DIR="$build"
# The package holds only the two programs, so only they (and their libraries) are built.
bash "$root/tools/build.sh" --target qemra-monitor qemra-sim

rm -f "$build"/package/*.deb
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$build/package" >/dev/null
deb="$(ls "$build"/package/*.deb)"
dpkg-deb --contents "$deb"
echo "Package: $deb"

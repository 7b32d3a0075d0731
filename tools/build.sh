#!/usr/bin/env bash
# Configures and builds the whole tree with a CMake preset: dev into build/, asan into build-asan/
# (QEMRA_SANITIZE=ON), release into build-release/ (QEMRA_PRESET=release). QEMRA_BUILD_DIR,
# QEMRA_BUILD_TYPE and QEMRA_SANITIZE override the preset. Extra arguments go to "cmake --build",
# e.g. "--target qemra-monitor".
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/presets.sh"
build="$(qemra_build_dir)"

configure=(--preset "$(qemra_preset)" -B "$build")
[ -n "${QEMRA_BUILD_TYPE:-}" ] && configure+=(-DCMAKE_BUILD_TYPE="$QEMRA_BUILD_TYPE")
[ -n "${QEMRA_SANITIZE:-}" ] && configure+=(-DQEMRA_SANITIZE="$QEMRA_SANITIZE")

(cd "$root" && cmake "${configure[@]}" >/dev/null)
cmake --build "$build" -j"$(nproc)" "$@"

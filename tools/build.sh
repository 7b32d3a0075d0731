#!/usr/bin/env bash
# Configures and builds the whole tree into build/ (or $QEMRA_BUILD_DIR). Extra arguments go to
# "cmake --build", e.g. "--target qemra-monitor".
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QEMRA_BUILD_DIR:-$root/build}"
type="${QEMRA_BUILD_TYPE:-RelWithDebInfo}"
sanitize="${QEMRA_SANITIZE:-OFF}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="$type" -DQEMRA_SANITIZE="$sanitize" >/dev/null
cmake --build "$build" -j"$(nproc)" "$@"

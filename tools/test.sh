#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless.
# QEMRA_SANITIZE=ON runs the same suite under AddressSanitizer and UBSan in build-asan/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/setup.sh"

# The asan preset builds unoptimised into build-asan/.
source "$root/tools/presets.sh"
build="$(qemra_build_dir)"
export QEMRA_BUILD_DIR="$build"

bash "$root/tools/build.sh"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 300 "$@"
if command -v clang++ >/dev/null; then bash "$root/tools/fuzz.sh" --short; fi
# The recorder over three minutes of a misbehaving line and a broker that comes and goes.
bash "$root/tools/soak.sh" 3

#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over the tree's sources, using the compile commands
# of a build (build/ or $QEMRA_BUILD_DIR; run tools/build.sh first). Arguments narrow it to some
# files or folders, e.g. "bash tools/tidy.sh common link/FrameCodec.cpp". Fails on any finding.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/tools/presets.sh"
build="$(qemra_build_dir)"
if [ ! -f "$build/compile_commands.json" ]; then
  echo "No $build/compile_commands.json: build first (bash tools/build.sh)." >&2
  exit 1
fi

cd "$root"
mapfile -t files < <(git ls-files -- "${@:-.}" | grep -E '\.cpp$')
if [ ${#files[@]} -eq 0 ]; then
  echo "No source files to check." >&2
  exit 1
fi
echo "clang-tidy over ${#files[@]} files"
# Counts of findings suppressed in system headers are left out of the output.
printf '%s\0' "${files[@]}" | xargs -0 -n 4 -P "$(nproc)" clang-tidy -p "$build" --quiet \
  2> >(grep -v ' warnings\? generated\.$' >&2)

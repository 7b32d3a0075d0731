# Sourced by the tools scripts: which CMake preset (CMakePresets.json) they use and where it builds.
# QEMRA_PRESET names one (dev, asan, release); without it QEMRA_SANITIZE=ON means asan, else dev.
# QEMRA_BUILD_DIR, QEMRA_BUILD_TYPE and QEMRA_SANITIZE still override what the preset sets.

qemra_preset() {
  if [ -n "${QEMRA_PRESET:-}" ]; then
    echo "$QEMRA_PRESET"
  elif [ "${QEMRA_SANITIZE:-OFF}" = "ON" ]; then
    echo asan
  else
    echo dev
  fi
}

# The build folder: QEMRA_BUILD_DIR made absolute, else the preset's binaryDir.
qemra_build_dir() {
  local root preset
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  preset="$(qemra_preset)"
  if [ -n "${QEMRA_BUILD_DIR:-}" ]; then
    realpath -m "$QEMRA_BUILD_DIR"
  elif [ "$preset" = dev ]; then
    echo "$root/build"
  else
    echo "$root/build-$preset"
  fi
}

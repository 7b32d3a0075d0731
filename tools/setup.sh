#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need, skipping what is present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-charts-dev qt6-serialport-dev
  # the English translation: lupdate and lrelease, and the CMake package that runs them
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libgl-dev libqt6opengl6-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # the fuzz programs: clang with its libFuzzer and sanitizer runtimes
  clang libclang-rt-dev
  # xvfb-run, for a virtual display, calls xauth and util-linux's getopt and mcookie
  xvfb xauth util-linux fonts-noto-cjk fonts-urw-base35 fonts-dejavu-core
  # the Debian package (cpack finds its library dependencies with dpkg-shlibdeps and file)
  dpkg-dev file
  # the package's tests: lintian on the .deb, appstreamcli on the metainfo, groff on the man pages,
  # gzip for the compressed man pages and changelog, systemd-analyze on the user unit
  lintian appstream groff-base gzip systemd
  # the calibration certificate's tests read the PDF back as text and render it
  poppler-utils
  # tools/tidy.sh and the style file
  clang-tidy clang-format
  # tools/bench-history-vs-pandas.sh: the survey summary measured against pandas.read_csv
  python3-pandas
  # publishing to an MQTT broker: the client library, and the broker, its clients and openssl for the tests
  libmosquitto-dev mosquitto mosquitto-clients openssl
  # telling systemd the headless recorder is ready and alive (sd_notify)
  libsystemd-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

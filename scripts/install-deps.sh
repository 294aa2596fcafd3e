#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Quiet and idempotent: when everything is present it only asks dpkg.
set -euo pipefail

PACKAGES=(
  # toolchain
  cmake ninja-build ccache g++ pkg-config
  # Qt 6
  qt6-base-dev libqt6sql6-sqlite qt6-5compat-dev qt6-declarative-dev qt6-tools-dev qt6-l10n-tools
  # QML modules the pages import
  qml6-module-qtquick qml6-module-qtquick-window qml6-module-qtquick-controls qml6-module-qtquick-layouts
  qml6-module-qtquick-templates qml6-module-qtqml-workerscript qml6-module-qttest
  # MQTT client and a broker for the tests; a virtual display for running without one
  libmosquitto-dev mosquitto xvfb xauth
  # a font with the Chinese characters of the user interface
  fonts-wqy-microhei
  # image processing and OCR for the cameras
  libopencv-dev libtesseract-dev tesseract-ocr-eng fonts-dejavu-core
  # barcodes and QR codes, spreadsheets (the data source)
  libzint-dev libzbar-dev libquazip1-qt6-dev libxlsxwriter-dev
  # benchmarks, fuzzing
  libbenchmark-dev clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "installing: ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}" >/dev/null

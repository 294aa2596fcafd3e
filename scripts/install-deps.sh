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
  # the pages: file and folder dialogs (their non-native form needs the folder model), the on-screen
  # keyboard, SVG pictures; the icon font is made from Font Awesome by a fonttools script
  qml6-module-qtquick-dialogs qml6-module-qt-labs-folderlistmodel qml6-module-qtquick-virtualkeyboard
  qt6-virtualkeyboard-plugin libqt6svg6 qml6-module-qtquick-shapes python3 python3-fonttools fonts-font-awesome
  # the industrial camera (USB3 Vision and GigE Vision) and its fake devices
  libaravis-dev libusb-1.0-0-dev aravis-tools
  # QML cameras (GStreamer), label check reading Chinese, the report read back by a spreadsheet
  qt6-multimedia-dev qml6-module-qtmultimedia gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  tesseract-ocr-chi-sim libreoffice-calc-nogui
  # the QML cameras' image capture muxes its JPEG with jifmux (-bad): without it every capture
  # after the first stalls
  gstreamer1.0-plugins-bad
  # printing: a CUPS queue in front of an IPP Everywhere printer, print-file previews, a window manager
  cups-daemon cups-client cups-ipp-utils libcups2-dev dbus-daemon qt6-pdf-dev xdg-utils openbox
  # TIF print files (Qt's TIFF reader), the outside programs' windows on X11
  qt6-image-formats-plugins libx11-dev
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

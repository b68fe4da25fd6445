#!/usr/bin/env bash
# Installs everything the suite needs to build, run and test on Debian 12.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-declarative-dev-tools
    qt6-image-formats-plugins libqt6opengl6-dev libgl-dev libxkbcommon-dev
    qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
    qml6-module-qtquick-templates qml6-module-qtquick-window qml6-module-qtqml-workerscript
    qml6-module-qtquick-dialogs qml6-module-qt-labs-platform qml6-module-qttest
    qml6-module-qtqml-models qml6-module-qtqml qml6-module-qtcharts qt6-charts-dev
    libaravis-dev libusb-1.0-0-dev aravis-tools aravis-tools-cli
    libcfitsio-dev libtiff-dev   # libtiff writes the multi-page TIFF test files
    zlib1g-dev                   # checks gzip tiles of compressed FITS images
    clang-14 libclang-rt-14-dev  # libFuzzer, for scripts/fuzz-readers.sh
    libopencv-dev
    iproute2 util-linux nftables   # nftables: the host check reads the firewall with nft
    dpkg-dev desktop-file-utils appstream   # the Debian package and scripts/test-package.sh
    xvfb x11-apps xauth imagemagick xdotool fonts-dejavu-core
    fonts-font-awesome fonts-material-design-icons-iconfont
)

if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${packages[@]}"

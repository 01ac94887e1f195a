#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing Skyroll
# needs. Runs apt-get update once, then one apt-get install.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev
  libcurl4-openssl-dev
  nlohmann-json3-dev
  libjpeg-dev libgif-dev libpng-dev zlib1g-dev
  # the wallpaper services: GSettings through GIO, the X root window
  libglib2.0-dev libx11-dev
  # window shapes cut in the X server's own pixels on scaled screens
  libxext-dev
  # the day map the globe frames are rendered from (NASA Visible Earth)
  xplanet-images
  # desktop tests and the run script on a machine without a display
  xvfb xauth xdotool x11-utils trayer fonts-ipafont-gothic imagemagick
  # the wallpaper tests: a root colour, the GNOME schema, a private session
  # bus with stand-in desktop services
  x11-xserver-utils gsettings-desktop-schemas dbus python3-dbus python3-gi
  # the real desktop services of the wallpaper tests (dconf, xfconfd; the
  # library xfconf-query needs is only recommended)
  dconf-service dconf-gsettings-backend xfconf libxfconf-0-3
  # Xfce's desktop, which draws the wallpaper xfconf names (wallpaper.xfdesktop)
  xfdesktop4
  # a Wayland session with XWayland (weston inside Xvfb), and Qt's Wayland
  # platform as many systems have it
  weston xwayland qt6-wayland
  # the loopback web server of the weather tests
  python3
  # the Debian package (cpack -G DEB with dpkg-shlibdeps) and its checks
  dpkg-dev file desktop-file-utils appstream lintian
  # the fuzz targets: clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-14-dev
  # the Windows cross build and its tests under Wine (GoogleTest's sources
  # for the cross compiler, a Japanese locale made with localedef)
  g++-mingw-w64-x86-64-posix googletest wine wine64 fonts-wine locales
)

as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${packages[@]}"

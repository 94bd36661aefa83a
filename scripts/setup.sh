#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (as root).
# Idempotent: packages already present are not installed again.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3 pkg-config   # native build; python3 runs the resource compiler
  googletest libgtest-dev                    # unit tests (the sources also build the Windows tests)
  libbenchmark-dev                           # speed measurements in bench/
  libcurl4-openssl-dev                       # downloads of the native build (the Windows build uses urlmon)
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64   # the Windows build of the same sources
  wine wine64                                # runs the Windows tests
  poppler-utils                              # pdfinfo, pdftotext: the library's documents read as PDF
  clang-14 libclang-rt-14-dev                # fuzz targets (libFuzzer with AddressSanitizer and UBSan)
  valgrind                                   # the leak check of a whole host session
  libcairo2-dev libpango1.0-dev libgdk-pixbuf-2.0-dev   # pictures of dialogs: drawing, text, BMP reading
  fonts-dejavu-core fonts-ipafont-gothic     # the pictures' fonts: Latin and Cyrillic; Japanese
  libgtk-4-dev                               # velmora-host --window: the menu and dialogs as desktop windows
  xvfb xauth                                 # a display of its own (xvfb-run) for the window host's tests
  xdotool                                    # the tests' real input: clicks and keys through the X server
  x11-apps netpbm                            # xwd and its PNG conversion: the README's screenshot of the window
  libedit-dev                                # velmora-host at a terminal: line editing, history, completion
  locales                                    # the Russian locale of the Windows tests on a Russian system
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi

#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing tolvik need.
# Idempotent: asks apt only when a package is missing, and updates the package
# lists only then.
#
#   scripts/install-deps.sh [bench]
#
# bench: also what `make bench` alone needs (the plots of docs/PERFORMANCE.md).
set -euo pipefail

packages=(
  # host build, unit tests and benchmarks
  cmake ninja-build g++ make python3 googletest libgtest-dev libgmock-dev
  # rebuilds after `make clean` from build/ccache (CMakeLists.txt)
  ccache
  libbenchmark-dev nlohmann-json3-dev libssl-dev unicode-data clang
  # fuzz targets: clang's libFuzzer and sanitizer runtimes
  libclang-rt-14-dev
  # Windows cross build
  g++-mingw-w64-x86-64-posix
  # the icon is drawn at build time
  python3-pil
  # running the Windows build: Wine on a virtual display, and the tools the
  # end-to-end tests drive it with
  wine wine64 xvfb xdotool xclip xsel imagemagick x11-utils
  # fonts: DirectWrite needs real files; "Segoe UI" is a renamed Liberation Sans
  fonts-wine fonts-liberation2 fonts-noto-cjk fonts-nanum python3-fonttools
  # the installer (makensis), and signing installers: the release's and the
  # test installers of the updater's signature checks
  nsis osslsigncode openssl
)

for group in "$@"; do
  case "$group" in
    # the plots of docs/PERFORMANCE.md (matplotlib brings numpy: not for every build)
    bench) packages+=(python3-matplotlib) ;;
    *) echo "install-deps: unknown group '$group' (bench)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi

echo "install-deps: installing ${missing[*]}" >&2
"${sudo[@]}" apt-get update -q >/dev/null
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends \
  "${missing[@]}" >/dev/null
echo "install-deps: done" >&2

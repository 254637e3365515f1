#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, only what is missing.
#   setup/install.sh        everything
#   setup/install.sh core   only what the cores' host build needs (make test-core, make fuzz)
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# The cores' tests with the host's compiler and GoogleTest's CMake package, under the
# sanitizers; the fuzz targets with clang and its libFuzzer.
core_packages=(
  make cmake g++ libgtest-dev
  clang libclang-rt-14-dev libfuzzer-14-dev
)

packages=(
  "${core_packages[@]}"
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  wine wine32:i386
  xvfb xdotool x11-apps imagemagick
  # Wine's own MS Sans Serif and Tahoma, the dialog fonts the windows are laid out
  # for (without them Wine substitutes a wider font), and the CD image writer.
  fonts-wine xorriso
  googletest
  /usr/bin/python3 python3-pil python3-pefile fonts-dejavu-core
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

core_only=false
if [ "${1:-}" = core ]; then
  core_only=true
  packages=("${core_packages[@]}")
fi

if ! $core_only && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi

for p in "${packages[@]}"; do
  case "$p" in
    /*) [ -x "$p" ] || need+=(python3) ;;
    *) have_pkg "$p" || need+=("$p") ;;
  esac
done

if [ ${#need[@]} -gt 0 ]; then
  echo "install.sh: installing ${need[*]}"
  # A mirror that is part way through a sync fails one list or another; the install
  # below then works from the lists at hand, and fails only if a package is missing.
  $sudo apt-get update -qq || echo "install.sh: not every package list could be updated"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

$core_only && exit 0

# The posix-thread flavour of the cross compiler gives std::thread and std::mutex.
for tool in i686-w64-mingw32-gcc i686-w64-mingw32-g++; do
  alt=$(update-alternatives --query "$tool" 2>/dev/null | awk '/^Value:/ {print $2}')
  case "$alt" in
    *-posix) ;;
    *) $sudo update-alternatives --set "$tool" "/usr/bin/$tool-posix" >/dev/null ;;
  esac
done

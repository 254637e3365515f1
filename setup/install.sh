#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, only what is missing.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(
  make cmake
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

if ! dpkg --print-foreign-architectures | grep -qx i386; then
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
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The posix-thread flavour of the cross compiler gives std::thread and std::mutex.
for tool in i686-w64-mingw32-gcc i686-w64-mingw32-g++; do
  alt=$(update-alternatives --query "$tool" 2>/dev/null | awk '/^Value:/ {print $2}')
  case "$alt" in
    *-posix) ;;
    *) $sudo update-alternatives --set "$tool" "/usr/bin/$tool-posix" >/dev/null ;;
  esac
done

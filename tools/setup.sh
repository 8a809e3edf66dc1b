#!/usr/bin/env bash
# Installs what building and testing Brindleway needs on a Debian machine.
# Idempotent: packages already present are skipped, the locale is generated
# only when missing. Must run as root (it uses apt-get and locale-gen).
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  googletest
  wine wine32:i386
  xvfb xdotool x11-utils imagemagick
  fonts-ipafont-gothic fonts-wine
  locales
  clang libclang-rt-14-dev
  fp-utils-3.2.2
  python3
  clang-format
)

missing=()
have_i386=0
dpkg --print-foreign-architectures | grep -qx i386 && have_i386=1
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ] || [ "$have_i386" -eq 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages (${missing[*]}); run as root" >&2
    exit 1
  fi
  [ "$have_i386" -eq 1 ] || dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the host locale: without ja_JP.UTF-8
# it silently falls back to 1252 and every Shift-JIS text is garbled.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: locale ja_JP.UTF-8 is missing; run as root" >&2
    exit 1
  fi
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen
fi

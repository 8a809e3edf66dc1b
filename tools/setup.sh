#!/usr/bin/env bash
# Installs what building and testing Brindleway needs on a Debian machine.
# Idempotent: packages already present are skipped, the locale is generated
# only when missing. Must run as root (it uses apt-get and locale-gen).
#
# Both programs are always compiled (mingw-w64 for x86_64 and i686), and the
# 64-bit Wine runs the tests of the 64-bit one. Wine's 32-bit runtime
# (wine32:i386, with the i386 architecture added) is installed only where
# this machine can execute 32-bit code: elsewhere it could never start.
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  cmake make gcc g++
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  googletest
  wine wine64
  xvfb xdotool x11-utils imagemagick unzip
  fonts-ipafont-gothic fonts-wine
  locales
  clang
  fp-utils-3.2.2
  python3
  clang-format
)
want_i386=0
if ./can-run-i386 >/dev/null; then
  want_i386=1
  packages+=(wine32:i386)
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing_of() {
  local p
  for p in "$@"; do installed "$p" || echo "$p"; done
}
need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: $1; run as root" >&2
    exit 1
  fi
}
updated=0
install_packages() {
  [ $# -gt 0 ] || return 0
  need_root "missing packages ($*)"
  export DEBIAN_FRONTEND=noninteractive
  if [ "$updated" -eq 0 ]; then
    apt-get update
    updated=1
  fi
  apt-get install -y --no-install-recommends "$@"
}

if [ "$want_i386" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_root "the i386 architecture is not enabled"
  dpkg --add-architecture i386
fi
mapfile -t missing < <(missing_of "${packages[@]}")
install_packages "${missing[@]}"

# The fuzzer and the sanitizers need the runtime of the clang that is
# installed, whichever version that is.
clang_major=$(clang -dumpversion | cut -d. -f1)
mapfile -t missing < <(missing_of "libclang-rt-$clang_major-dev")
install_packages "${missing[@]}"

# Wine takes its ANSI code page from the host locale: without ja_JP.UTF-8
# it silently falls back to 1252 and every Shift-JIS text is garbled.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  need_root "locale ja_JP.UTF-8 is missing"
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen
fi

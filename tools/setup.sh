#!/usr/bin/env bash
# Makes sure the Debian packages the build and the tests need are present.
# As root it installs what is missing; otherwise it prints the lines to run.
# Where this machine executes 32-bit code, that includes Wine's 32-bit
# half (wine32:i386, beside wine64), so that the shipping x86 build is
# tested too; where it does not, it says so in one line.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
          wine wine64 xvfb googletest unzip clang-format cppcheck)
add_i386=no
if tools/x86-runs.sh; then
    packages+=(wine32:i386)
    dpkg --print-foreign-architectures | grep -qx i386 || add_i386=yes
else
    echo "This machine cannot run 32-bit code: the x86 tests are skipped, x64 is tested."
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Run as root:" >&2
    [ $add_i386 = yes ] && echo "  dpkg --add-architecture i386" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ $add_i386 = yes ]; then
    echo "Adding the i386 architecture for wine32"
    dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
# A mirror in the middle of a sync fails the update for a while; after a
# few tries the install goes on with the lists it has and decides.
for try in 1 2 3; do
    apt-get update -qq && break
    echo "apt-get update failed (try $try of 3)" >&2
    sleep $((try * 10))
done
apt-get install -y -qq "${missing[@]}" >/dev/null && exit 0
# Without its i386 lists (a mirror that stays half synced) wine32 cannot be
# installed; the rest still can, and the tests then say x86 was skipped.
[[ " ${missing[*]} " == *" wine32:i386 "* ]] || exit 1
echo "wine32:i386 could not be installed: the x86 tests will be skipped." >&2
rest=()
for package in "${missing[@]}"; do
    [ "$package" = wine32:i386 ] || rest+=("$package")
done
[ ${#rest[@]} -eq 0 ] || apt-get install -y -qq "${rest[@]}" >/dev/null

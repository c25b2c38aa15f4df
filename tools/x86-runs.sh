#!/usr/bin/env bash
# Exits 0 when this machine executes 32-bit x86 code, 1 when it does not.
# Some kernels are built without 32-bit support and refuse such a program
# outright; asking Wine instead could hang or answer for the wrong reason.
# The probe is the smallest 32-bit Linux program there is: no libraries,
# one system call, exit(42).  Where the kernel refuses it, the shell's
# fallback runs it as a script, which cannot end with 42.
set -u
cd "$(dirname "$0")/.."
# Inside the work tree: a temporary directory may be mounted noexec.
mkdir -p build
probe=$(mktemp build/x86-probe.XXXXXX)
trap 'rm -f "$probe"' EXIT
printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'`
      `'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'`
      `'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'`
      `'\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'`
      `'\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00'`
      `'\x00\x10\x00\x00\x31\xdb\xb3\x2a\x31\xc0\x40\xcd\x80' >"$probe"
chmod +x "$probe"
timeout 10 "$probe" </dev/null >/dev/null 2>&1
[ $? -eq 42 ]

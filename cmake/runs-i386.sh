#!/bin/sh
# Exits 0 when this machine can run a 32-bit x86 Linux program, which the
# 32-bit Wine needs. Some kernels are built or booted without it.
set -e
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$dir/exit.s"
as --32 -o "$dir/exit.o" "$dir/exit.s"
ld -m elf_i386 -o "$dir/exit" "$dir/exit.o"
"$dir/exit" 2>/dev/null

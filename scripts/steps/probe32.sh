#!/usr/bin/env bash
# Tells whether this machine runs the 32-bit Windows programs under Wine:
#   probe32.sh kernel   does the kernel run 32-bit (i386) Linux programs? It
#                       needs no i386 package: a program of a few bytes is
#                       assembled and linked by binutils and run.
#   probe32.sh wine     does 32-bit Wine (wine32:i386) start?
# Exit status 0 when it does; otherwise 1, and one line on stdout says why.
set -euo pipefail
wine32_loader=/usr/lib/wine/wine

kernel() {
  local scratch
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' RETURN
  # exit(0) through the 32-bit system call gate
  printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$scratch/exit.s"
  if ! as --32 -o "$scratch/exit.o" "$scratch/exit.s" || ! ld -m elf_i386 -o "$scratch/exit" "$scratch/exit.o"; then
    echo "binutils cannot make a 32-bit program to try"
    return 1
  fi
  local said
  if ! said=$("$scratch/exit" 2>&1); then
    echo "this kernel runs no 32-bit programs (${said##*: }${said:+; }a 32-bit ELF program does not start)"
    return 1
  fi
}

wine() {
  [ -x "$wine32_loader" ] || { echo "32-bit Wine is not installed (wine32:i386)"; return 1; }
  local said
  if ! said=$("$wine32_loader" --version 2>&1); then
    echo "32-bit Wine does not start: $wine32_loader --version says \"$(head -n 1 <<<"$said")\""
    return 1
  fi
}

case "${1:-}" in
  kernel) kernel ;;
  wine) kernel && wine ;;
  *) echo "usage: $0 kernel|wine" >&2; exit 2 ;;
esac

#!/usr/bin/env bash
# Succeeds when this machine's kernel can start a 32-bit x86 Linux program, which 32-bit Wine is. A kernel
# built without IA-32 emulation (some virtual machines' kernels) answers "Exec format error", and with
# wine32:i386 installed the wine command then fails for 64-bit programs too, since it starts the 32-bit
# loader first. The probe is a 93-byte static i386 program that only calls exit(0).
set -u
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
# ELF header (52 bytes), one loadable segment (32 bytes), then: mov eax,1; xor ebx,ebx; int 0x80.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000' >>"$probe"
printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >>"$probe"
printf '\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000' >>"$probe"
printf '\270\001\000\000\000\061\333\315\200' >>"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null

#!/usr/bin/env bash
# Fails if an object file holds float instructions that would not round each
# operation on its own: fused multiply-adds (PowerPC, x86-64 with FMA), or
# arithmetic in the x87's 80-bit registers (32-bit Intel).
#
# On 32-bit Intel the calling convention hands float results back in the x87's
# top register, so moving a value in and out of it (fld, fst, fstp, fild,
# fist, fisttp, fxch, fldz, fld1, control-word loads and stores) is allowed:
# a move rounds nothing a float could not hold. What computes is not: the
# add, subtract, multiply and divide family, square root, sign and absolute
# value, remainders, rounding, the transcendental instructions and compares
# (a compare of extended values means they were worked out there).
#
# Usage: check_float_code.sh OBJDUMP PROCESSOR OBJECT...
set -euo pipefail

objdump="$1"
processor="$2"
shift 2

case "$processor" in
powerpc*)
    forbidden='^fn?m(add|sub)s?\.?$'
    ;;
i?86)
    forbidden='^(fi?(add|subr?|mul|divr?)[slt]?p?|fsqrt|fchs|fabs|fprem1?|frndint|fscale|fxtract|fsin|fcos|fsincos|fptan|fpatan|f2xm1|fyl2x|fyl2xp1|fi?u?comi?p{0,2}[sl]?|ftst|fxam)$'
    ;;
x86_64 | AMD64 | amd64)
    forbidden='^vfn?m(add|sub|addsub|subadd)[0-9]+[ps][sdh]$'
    ;;
*)
    echo "check_float_code: no rule for processor '$processor'" >&2
    exit 2
    ;;
esac

if (($# == 0)); then
    echo "check_float_code: no object files to check" >&2
    exit 2
fi

# A target's objects may come as one ';'-separated argument.
objects=()
for argument in "$@"; do
    IFS=';' read -r -a parts <<<"$argument"
    objects+=("${parts[@]}")
done

found=0
checked=0
instructions=0
for object in "${objects[@]}"; do
    [[ -n "$object" ]] || continue
    if [[ ! -f "$object" ]]; then
        echo "check_float_code: $object: no such object file" >&2
        exit 2
    fi
    # "  1c:	fmadds  f9,f1,f1,f2" -> the mnemonic. A line "#N" counts the
    # instructions read, so that a disassembler whose layout this does not
    # read cannot pass everything unseen.
    listing="$("$objdump" -d --no-show-raw-insn "$object" |
        awk -F'\t' -v forbidden="$forbidden" '
            /^[[:space:]]*[0-9a-f]+:\t/ {
                ++read
                split($2, words, /[[:space:]]+/)
                if (words[1] ~ forbidden) { print words[1] }
            }
            END { print "#" read + 0 }')"
    instructions=$((instructions + $(grep '^#' <<<"$listing" | tr -d '#')))
    hits="$({ grep -v '^#' <<<"$listing" || true; } | sort | uniq -c | awk 'NF == 2 { printf " %s x%s", $2, $1 }')"
    checked=$((checked + 1))
    if [[ -n "$hits" ]]; then
        echo "float-code: ${object}:${hits}"
        found=1
    fi
done
if ((instructions == 0)); then
    echo "check_float_code: no instruction read from ${checked} object file(s): is ${objdump} GNU objdump?" >&2
    exit 2
fi
echo "check_float_code: ${checked} object file(s), ${instructions} instructions, for ${processor}"
exit "$found"

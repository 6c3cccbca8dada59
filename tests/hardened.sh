#!/bin/sh
# hardened.sh EXECUTABLE: the hardening a Release build gives itself when no packager's flags
# are set, as hardening-check reads it, with binutils alone: position-independent, relocations
# read-only and bound at start, a stack protector, fortified library calls.
exe=$1
fail() { echo "FAIL: $exe: $*"; exit 1; }
readelf -hW "$exe" | grep -Eq 'Type: +DYN' || fail "not position-independent"
readelf -lW "$exe" | grep -q GNU_RELRO || fail "no read-only relocations"
readelf -dW "$exe" | grep -Eq 'BIND_NOW|FLAGS_1.* NOW' || fail "symbols not bound at start"
nm -D "$exe" | grep -q ' U __stack_chk_fail' || fail "no stack protector"
nm -D "$exe" | grep -Eq ' U __(memcpy|snprintf|fprintf)_chk' || fail "no fortified calls"
echo "position-independent, relocations read-only and bound at start, stack protector, fortified calls"

#!/usr/bin/env bash
# The check that decides whether the 32-bit Windows tests can run: a Wine
# loader that is missing, or that the kernel cannot execute, is a "no" with
# its reason, never a silent yes.
#
#   can-run-i386-test.sh PATH/TO/can-run-i386
set -uo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect_no() { # LOADER EXPECTED-REASON
  local said
  if said=$(BRINDLEWAY_I386_LOADER=$1 "$check" --wine); then
    echo "FAIL: $1 was taken for a working 32-bit loader"
    failures=$((failures + 1))
  elif [[ "$said" != *"${machine:-$2}"* ]]; then
    echo "FAIL: for $1 the check said [$said], expected it to say [${machine:-$2}]"
    failures=$((failures + 1))
  fi
}

# On a machine that runs no 32-bit code at all, that is the reason given
# for every loader.
machine=""
machine_says=$("$check") || machine=$machine_says
[ -z "$machine" ] || echo "this machine: $machine"

# An ELF header the kernel refuses to execute.
printf '\x7fELF\x02\x01\x01\x00' >"$work/unrunnable"
chmod +x "$work/unrunnable"
expect_no "$work/missing" "is not installed"
expect_no "$work/unrunnable" "does not start (Exec format error)"
printf '#!/bin/sh\nexit 3\n' >"$work/failing"
chmod +x "$work/failing"
expect_no "$work/failing" "does not start (exit status 3)"

[ $failures -eq 0 ] && echo "can-run-i386: every refusal says why"
exit $((failures > 0))

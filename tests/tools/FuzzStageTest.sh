#!/usr/bin/env bash
# FuzzStageTest.sh SOURCE WORK: the fuzz stage of tools/test with stand-in targets that end
# at once, well or badly. The stage passes only when it ran targets and each ended well.
set -uo pipefail
source "$1/tools/lib/fuzz-stage.sh"
rm -rf "$2" && mkdir -p "$2" && cd "$2" || exit 2
printf '#!/bin/sh\nexit 0\n' >good
printf '#!/bin/sh\necho found a fault; exit 1\n' >bad
chmod +x good bad
failures=0

# check CASE LIST WANT SUMMARY: runs the stage over the list file; WANT is pass or fail,
# SUMMARY a pattern its summary line must match.
check() {
  local status=0
  kv_fuzz_summary=""
  kv_run_fuzzers "$2" 1 . >"$1.out" 2>&1 || status=$?
  local got=pass
  ((status == 0)) || got=fail
  if [ "$got" != "$3" ] || ! [[ $kv_fuzz_summary =~ $4 ]]; then
    echo "$1: expected $3 with a summary like '$4', got $got: '$kv_fuzz_summary'"
    sed 's/^/  | /' "$1.out"
    failures=$((failures + 1))
  fi
}

: >empty
printf 'one_fuzzer %s\n' "$PWD/good" >one-good
printf 'good_fuzzer %s\nbad_fuzzer %s\n' "$PWD/good" "$PWD/bad" >one-bad
check "no target listed" empty fail '^fuzz: no target'
check "no list" missing fail '^fuzz: no target'
check "one target, ends well" one-good pass '^fuzz: 1 of 1 targets'
check "one of two finds a fault" one-bad fail '^fuzz: 1 of 2 targets'
((failures == 0))

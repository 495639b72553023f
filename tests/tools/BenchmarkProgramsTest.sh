#!/usr/bin/env bash
# The benchmark programs and tools/run's KeyConsole under Wine, in one of two checks:
#   refusals  an argument that is not a count from 1 to the largest, one too many or
#             a missing program: the usage on stderr in 80 columns, naming the largest
#             count, status 2, before anything is measured.
#   runs      each with the fewest rounds, KeyConsole driven from its input: status 0,
#             a benchmark's last line its finished line, its figures at the end of its
#             run, and every line it prints fits the 80 columns of Wine's console.
# Usage: BenchmarkProgramsTest.sh WINE_EXEC WINE_DIR ARCH BUILD_DIR refusals|runs
set -uo pipefail
wine_exec=$1 wine_dir=$2 arch=$3 build=$4 check=$5
failures=0 count=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
brontal="Z:$(realpath "$build/resident/simulated/Brontal.exe" | tr / '\\')"
largest=$(sed -n 's/^constexpr int kBenchmarkMostCount = \([0-9]*\);$/\1/p' "${wine_exec%/tools/wine-exec}/tests/support/Benchmark.h")
[ -n "$largest" ] || fail "no kBenchmarkMostCount in tests/support/Benchmark.h"

program_of() {  # name
  case $1 in
    AlarmBenchmark | LockScreenBenchmark | ResidentBenchmark | WizardBenchmark) echo "$build/tests/resident/$1.exe" ;;
    MovingMessageBenchmark) echo "$build/tests/display/$1.exe" ;;
    CompanionsBenchmark | KeyConsole) echo "$build/tests/companions/$1.exe" ;;
    LoggerBenchmark) echo "$build/tests/logplugin/$1.exe" ;;
    UninstallBenchmark) echo "$build/tests/installer/$1.exe" ;;
  esac
}

fits_80_columns() {  # what
  local wide
  wide=$(awk 'length > 80' <<<"$out")
  [ -z "$wide" ] || fail "$1: lines wider than 80 columns: $wide"
}

# Runs a program in the session; sets out (what it printed, without carriage returns)
# and status.
run() {  # name, arguments...
  count=$((count + 1))
  status=0
  out=$("$wine_exec" --arch "$arch" --capture "$wine_dir" "$(program_of "$1")" "${@:2}" 2>&1) || status=$?
  out=${out//$'\r'/}
}

# Runs a case of a table, "program|arguments[|pattern]" with B for the resident program;
# sets name, args and expected (the pattern, if any) as well.
run_case() {  # case
  IFS='|' read -r name args expected <<<"$1"
  args=${args//B/$brontal}
  # shellcheck disable=SC2086  # the arguments are words
  run "$name" $args
}

# KeyConsole's input: a line at a time, with time for what it does to show.
slowly() {  # lines...
  local line
  for line in "$@"; do
    sleep 3
    echo "$line"
  done
}

check_refusals() {
  # program | arguments (B: the resident program)
  local cases=(
    "WizardBenchmark|0" "WizardBenchmark|abc" "WizardBenchmark|20 100 1"
    "WizardBenchmark|99999999999" "MovingMessageBenchmark|-1" "MovingMessageBenchmark|1.5"
    "MovingMessageBenchmark|4294968"
    "AlarmBenchmark|" "AlarmBenchmark|B 0"
    "ResidentBenchmark|B 2x" "ResidentBenchmark|B 1 1 1"
    "LockScreenBenchmark|" "LockScreenBenchmark|B 1 1 0 1" "LockScreenBenchmark|B 1 1 1 1 1"
    "CompanionsBenchmark|0" "CompanionsBenchmark|1 1 1" "LoggerBenchmark|00" "UninstallBenchmark|1 1"
  ) c name args expected
  for c in "${cases[@]}"; do
    run_case "$c"
    ((status == 2)) && grep -q "^usage: $name" <<<"$out" || fail "$name $args: status $status; it printed: $out"
    grep -qF "$largest" <<<"$out" || fail "$name $args: no word of the largest count, $largest: $out"
    ! grep -q '^measuring' <<<"$out" || fail "$name $args: it measured: $out"
    fits_80_columns "$name $args"
  done
}

check_runs() {
  # program | arguments (B: the resident program) | a line it prints, if any
  local cases=(
    "WizardBenchmark|1 3" "MovingMessageBenchmark|1|^ *1\.[0-9] s  cpu" "AlarmBenchmark|B 1" "ResidentBenchmark|B 1 1"
    "LockScreenBenchmark|B 1 1 2 1" "CompanionsBenchmark|10 1" "LoggerBenchmark|1" "UninstallBenchmark|1"
  ) c name args expected
  for c in "${cases[@]}"; do
    run_case "$c"
    ((status == 0)) && [ "$(tail -n 1 <<<"$out")" = "benchmark finished" ] ||
      fail "$name $args: status $status, or not finished; it printed: $out"
    [ -z "$expected" ] || grep -q -- "$expected" <<<"$out" || fail "$name $args: no line like '$expected': $out"
    fits_80_columns "$name $args"
  done
  for args in "" --first-run; do
    # shellcheck disable=SC2086  # the arguments are words
    if [ -n "$args" ]; then run KeyConsole $args < <(slowly w p i q); else run KeyConsole < <(slowly p i k q); fi
    ((status == 0)) && grep -q "event 1: locked" <<<"$out" || fail "KeyConsole $args: status $status; it printed: $out"
    fits_80_columns "KeyConsole $args"
  done
}

case $check in
  refusals) check_refusals ;;
  runs) check_runs ;;
  *) echo "usage: BenchmarkProgramsTest.sh WINE_EXEC WINE_DIR ARCH BUILD_DIR refusals|runs" >&2; exit 2 ;;
esac
echo "$check: $count runs, $failures failed"
((failures == 0))

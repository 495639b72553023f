#!/usr/bin/env bash
# tools/run and each tools/benchmark-* script against stand-ins, in one of three checks:
#   builds     up to their build, with a stand-in cmake that records its arguments and
#              fails the build (and a stand-in dpkg-query that finds every package
#              installed, so the set-up installs nothing): each script names its road
#              and what it builds before building, in lines that fit 80 columns, and
#              builds with KV_JOBS jobs.
#   arguments  --help prints what a script does, in lines that fit 80 columns, exit 0;
#              an argument that is not a count from 1 to the benchmark programs'
#              largest, or one too many, prints the usage, exit 2; neither builds. A
#              script that takes no count says so; the largest count builds.
#   endings    the benchmark scripts in a copy of tools/ whose set-up, Wine session and
#              wine-exec are stand-ins: a script passes only when its program ended
#              with status 0 after its finished line; a failed status or a crash that
#              Wine ends with status 0 fails it, naming the program's log. Wine's text
#              in code page 932, from the program or from a failed step of the Wine
#              session's start, shows in the terminal's encoding.
# Usage: ToolScriptsTest.sh PROJECT WORK_DIR builds|arguments|endings
set -uo pipefail
root=$1 work=$2 check=$3
mkdir -p "$work/bin"
cat >"$work/bin/cmake" <<'STAND_IN'
#!/bin/sh
echo "$*" >>"$KV_CMAKE_LOG"
case " $* " in *" --build "*) exit "${KV_BUILD_STATUS:-3}" ;; esac
STAND_IN
printf '#!/bin/sh\necho "install ok installed"\n' >"$work/bin/dpkg-query"
chmod +x "$work/bin/cmake" "$work/bin/dpkg-query"

failures=0 count=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs a script against the stand-ins; sets out (what it printed), status and build (the
# arguments of its cmake --build).
run_script() {  # project, script, arguments...
  local log=$work/cmake.log
  rm -f "$log"
  count=$((count + 1))
  status=0
  out=$(cd "$work" && KV_CMAKE_LOG=$log KV_JOBS=3 PATH=$work/bin:$PATH "$1/$2" "${@:3}" </dev/null 2>&1) || status=$?
  build=$(grep -e '--build' "$log" 2>/dev/null | head -1)
}

fits_80_columns() {  # what
  local wide
  wide=$(awk 'length > 80' <<<"$out")
  [ -z "$wide" ] || fail "$1: lines wider than 80 columns: $wide"
}

benchmarks=()
for script in "$root"/tools/benchmark-*; do
  benchmarks+=("tools/$(basename "$script")")
done

check_builds() {
  # script | arguments | a line it prints before building
  local cases=(
    "tools/run||tools/run: Windows 7 road: the lock display is Brontal's own window"
    "tools/run|--windows10|tools/run: Windows 10 road: the lock display is Marrowpane, started by Brontal"
  ) c script args expected
  for script in "${benchmarks[@]}"; do
    cases+=("$script||$script: building ")
  done
  for c in "${cases[@]}"; do
    IFS='|' read -r script args expected <<<"$c"
    # shellcheck disable=SC2086  # the arguments are words
    run_script "$root" "$script" $args
    what="$script${args:+ $args}"
    [[ " $build " == *" -j 3 "* ]] || fail "$what: built with 'cmake $build', not with the 3 jobs of KV_JOBS"
    grep -qF -- "$expected" <<<"$out" || fail "$what: no line '$expected' before its build; it printed: $out"
    fits_80_columns "$what"
  done
}

# How many counts each script takes.
counts_of() {  # script
  case $1 in
    tools/benchmark-lockscreen) echo 4 ;;
    tools/benchmark-alarm | tools/benchmark-moving-message | tools/benchmark-resident | tools/benchmark-wizard) echo 1 ;;
    *) echo 0 ;;
  esac
}

check_arguments() {
  local script most args what too_many
  for script in tools/run "${benchmarks[@]}"; do
    run_script "$root" "$script" --help
    ((status == 0)) || fail "$script --help: status $status"
    grep -q "^Usage: $script" <<<"$out" || fail "$script --help: no usage line; it printed: $out"
    [ -z "$build" ] || fail "$script --help: it built"
    fits_80_columns "$script --help"
  done
  run_script "$root" tools/run --help
  for option in --windows10 --first-run "s saves a PNG picture" "q or Ctrl-C ends it"; do
    grep -qF -- "$option" <<<"$out" || fail "tools/run --help: nothing on '$option'"
  done

  # The largest count the benchmark programs take: a script refuses any larger one before
  # it builds, even one that wraps to a small number in 64 bits, and takes the largest.
  local largest too_large
  largest=$(sed -n 's/^constexpr int kBenchmarkMostCount = \([0-9]*\);$/\1/p' "$root/tests/support/Benchmark.h")
  [ -n "$largest" ] || fail "no kBenchmarkMostCount in tests/support/Benchmark.h"
  too_large="$((largest + 1)) 99999999999 18446744073709551617"
  for script in "${benchmarks[@]}"; do
    most=$(counts_of "$script")
    too_many=$(printf '1 %.0s' $(seq $((most + 1))))
    for args in 0 00 -1 abc 1.5 2x "$too_many" $too_large; do
      # shellcheck disable=SC2086  # the arguments are words
      run_script "$root" "$script" $args
      what="$script $args"
      ((status == 2)) || fail "$what: status $status, not 2"
      grep -q "^usage: $script" <<<"$out" || fail "$what: no usage; it printed: $out"
      [ -z "$build" ] || fail "$what: it built"
      if ((most == 0)); then
        grep -q "takes no argument" <<<"$out" || fail "$what: no word that it takes no argument; it printed: $out"
      elif [[ " $too_large " == *" $args "* ]]; then
        grep -qF "$largest" <<<"$out" || fail "$what: no word of the largest count, $largest; it printed: $out"
      fi
    done
    ((most == 0)) && continue
    for args in "$largest" "0$largest"; do
      run_script "$root" "$script" "$args"
      [ -n "$build" ] || fail "$script $args: refused the largest count; it printed: $out"
    done
  done
  run_script "$root" tools/run --bogus
  ((status == 2)) && grep -q '^usage: tools/run' <<<"$out" || fail "tools/run --bogus: status $status, printed: $out"
}

# What a Windows program of Wine prints in the prefixes' code page, 932, and how it reads
# in a UTF-8 terminal.
wine_text=ファイルが見つかりません。
iconv -f UTF-8 -t CP932 <<<"$wine_text" >"$work/cp932.txt"

# A copy of tools/ whose set-up and Wine session do nothing and whose wine-exec plays a
# program that prints Wine's text and ends as KV_PROGRAM_END says.
make_project() {
  local project=$work/project
  rm -rf "$project"
  mkdir -p "$project/build/windows-x64/resident/simulated"
  cp -r "$root/tools" "$project/"
  printf '#!/bin/sh\n' >"$project/tools/setup"
  printf '#!/bin/sh\n' >"$project/tools/wine-session"
  cat >"$project/tools/wine-exec" <<'STAND_IN'
#!/bin/sh
printf 'measuring 1 rounds\r\n'
cat "$KV_PROGRAM_TEXT"
case $KV_PROGRAM_END in
  finished) printf 'benchmark finished\r\n' ;;
  failed) echo "the programs did not start" >&2; exit 1 ;;
  crashed) echo "wine: Unhandled page fault on read access to FFFFFFFFFFFFFFF8 at address 0000000140001234" ;;
esac
STAND_IN
  chmod +x "$project/tools/setup" "$project/tools/wine-session" "$project/tools/wine-exec"
  echo "$project"
}

check_endings() {
  local project script end
  project=$(make_project)
  for script in "${benchmarks[@]}"; do
    for end in finished failed crashed; do
      LC_ALL=C.UTF-8 KV_PROGRAM_TEXT=$work/cp932.txt KV_PROGRAM_END=$end KV_BUILD_STATUS=0 KV_WINDOWS_ARCHS=x86_64 \
        run_script "$project" "$script"
      what="$script, its program $end"
      if [ "$end" = finished ]; then
        ((status == 0)) || fail "$what: status $status; it printed: $out"
        grep -qF "$wine_text" <<<"$out" || fail "$what: Wine's text not in UTF-8: $out"
      else
        ((status != 0)) || fail "$what: status 0; it printed: $out"
        grep -qF "build/windows-x64/$(basename "$script").log" <<<"$out" || fail "$what: no word of its log: $out"
      fi
    done
  done

  # A Wine session whose persistent wineserver does not start, in a ready prefix on a
  # display of its own: the failed step's log as the terminal reads it.
  local session=$work/session
  rm -rf "$session" && mkdir -p "$session/prefix" && echo win64 >"$session/prefix/.kv-ready"
  cat >"$work/bin/wineserver" <<'STAND_IN'
#!/bin/sh
[ "$1" != -p ] && exit 0
cat "$KV_PROGRAM_TEXT"
exit 1
STAND_IN
  chmod +x "$work/bin/wineserver"
  count=$((count + 1))
  status=0
  out=$(LC_ALL=C.UTF-8 KV_PROGRAM_TEXT=$work/cp932.txt KV_WINE_DISPLAY=:99 PATH=$work/bin:$PATH \
    "$root/tools/wine-session" start "$session" win64 2>&1) || status=$?
  rm -f "$work/bin/wineserver"
  ((status == 1)) && grep -qF "$wine_text" <<<"$out" ||
    fail "wine-session start, its wineserver failing: status $status, Wine's text not in UTF-8: $out"
}

case $check in
  builds) check_builds ;;
  arguments) check_arguments ;;
  endings) check_endings ;;
  *) echo "usage: ToolScriptsTest.sh PROJECT WORK_DIR builds|arguments|endings" >&2; exit 2 ;;
esac
echo "$check: $count runs, $failures failed"
((failures == 0))

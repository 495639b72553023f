#!/usr/bin/env bash
# tools/run and each tools/benchmark-* script up to its build, with a stand-in cmake that
# records its arguments and fails the build (and a stand-in dpkg-query that finds every
# package installed, so the set-up installs nothing): each script names its road and what
# it builds before building, in lines that fit 80 columns, and builds with KV_JOBS jobs.
# Usage: ToolScriptsTest.sh PROJECT WORK_DIR
set -uo pipefail
root=$1 work=$2
mkdir -p "$work/bin"
cat >"$work/bin/cmake" <<'STAND_IN'
#!/bin/sh
echo "$*" >>"$KV_CMAKE_LOG"
case " $* " in *" --build "*) exit 3 ;; esac
STAND_IN
printf '#!/bin/sh\necho "install ok installed"\n' >"$work/bin/dpkg-query"
chmod +x "$work/bin/cmake" "$work/bin/dpkg-query"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs a script against the stand-in; sets out (what it printed) and build (the
# arguments of its cmake --build).
run_script() {  # script, arguments...
  local log=$work/cmake.log
  rm -f "$log"
  out=$(cd "$work" && KV_CMAKE_LOG=$log KV_JOBS=3 PATH=$work/bin:$PATH "$root/$1" "${@:2}" </dev/null 2>&1)
  build=$(grep -e '--build' "$log" 2>/dev/null | head -1)
}

# script | arguments | a line it prints before building
cases=(
  "tools/run||tools/run: Windows 7 road: the lock display is Brontal's own window"
  "tools/run|--windows10|tools/run: Windows 10 road: the lock display is Marrowpane, started by Brontal"
)
for script in "$root"/tools/benchmark-*; do
  name=tools/$(basename "$script")
  cases+=("$name||$name: building ")
done

for c in "${cases[@]}"; do
  IFS='|' read -r script args expected <<<"$c"
  # shellcheck disable=SC2086  # the arguments are words
  run_script "$script" $args
  what="$script${args:+ $args}"
  [[ " $build " == *" -j 3 "* ]] || fail "$what: built with 'cmake $build', not with the 3 jobs of KV_JOBS"
  grep -qF -- "$expected" <<<"$out" || fail "$what: no line '$expected' before its build; it printed: $out"
  wide=$(awk 'length > 80' <<<"$out")
  [ -z "$wide" ] || fail "$what: lines wider than 80 columns: $wide"
done
echo "${#cases[@]} cases, $failures failed"
((failures == 0))

# The common parts of the tools/benchmark-* scripts, sourced after windows-arch.sh and
# build.sh from the project root.
source tools/lib/cp932.sh

# The line a benchmark program prints last, once it has measured all it was asked to.
kv_benchmark_finished_line="benchmark finished"

# The largest count the benchmark programs take (kBenchmarkMostCount in
# tests/support/Benchmark.h): a larger one is refused here, before the build.
kv_benchmark_most_count=1000000

# Whether the argument is a whole number from 1 to the largest count. Its digits are
# measured before any arithmetic, which would wrap a long number round to a small one.
kv_is_count() {  # argument
  local digits=${1#"${1%%[!0]*}"}  # without its leading zeros
  [[ $1 =~ ^[0-9]+$ ]] && [ -n "$digits" ] && ((${#digits} <= ${#kv_benchmark_most_count})) &&
    ((digits <= kv_benchmark_most_count))
}

# The script's arguments: --help prints its head comment (what it measures, its
# arguments), exit 0; up to `most` counts, each a whole number from 1 to the largest,
# else the usage line of its head comment, exit 2.
kv_benchmark_arguments() {  # script ($0), most counts, arguments...
  local script=tools/${1##*/} most=$2 arg  # from the project's root, where scripts work
  shift 2
  if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
    kv_head_comment "$script"
    exit 0
  fi
  for arg in "$@"; do
    if (($# > most)) || ! kv_is_count "$arg"; then
      sed -n 's/^# Usage: /usage: /p' "$script" >&2
      if ((most == 0)); then
        echo "($script takes no argument; --help says what it measures)" >&2
      else
        echo "(counts are whole numbers from 1 to $kv_benchmark_most_count; --help says what it measures)" >&2
      fi
      exit 2
    fi
  done
}

# The common start of a script: the set-up, the build of its targets and the benchmarks'
# own Wine session, stopped when the script ends. Sets kv_preset and kv_wine_dir.
kv_start_benchmark() {  # tool, targets...
  local tool=$1 arch
  shift
  tools/setup
  arch=$(kv_run_arch "$tool")
  kv_preset=$(kv_preset_of "$arch")
  kv_build "$tool" "$kv_preset" "$@"
  kv_wine_dir=$PWD/build/$kv_preset/bench-wine
  trap 'tools/wine-session stop "$kv_wine_dir"' EXIT
  tools/wine-session start "$kv_wine_dir" "$(kv_wine_arch_of "$arch")" >/dev/null
}

# Starts the benchmark program in the session, in the background: its output goes to
# build/<preset>/<tool>.log, shown as it grows in the terminal's encoding (a pipe from
# the program would stay open while Wine's desktop process lives). Sets kv_bench (its
# process) and kv_bench_log.
kv_begin_benchmark() {  # tool, program, arguments...
  kv_bench_tool=$1 kv_bench_program=$(basename "$2")
  shift
  kv_bench_log=build/$kv_preset/$(basename "$kv_bench_tool").log
  : >"$kv_bench_log"
  tools/wine-exec "$kv_wine_dir" "$@" >"$kv_bench_log" 2>&1 &
  kv_bench=$!
  tail -n +1 -f --pid="$kv_bench" "$kv_bench_log" | kv_lines_from_cp932 &
  kv_bench_shown=$!
}

# Waits for the program; fails, saying why, unless it ended with status 0 after its
# finished line: Wine may end a program that crashed with status 0.
kv_end_benchmark() {
  local status=0 last reading="Windows' text in code page 932: iconv -f CP932 reads it"
  wait "$kv_bench" || status=$?
  wait "$kv_bench_shown" || true
  last=$(tail -n 1 "$kv_bench_log" | tr -d '\r')
  if ((status != 0)); then
    kv_say "$kv_bench_tool: $kv_bench_program failed (status $status); its output is in $kv_bench_log ($reading)"
    return 1
  fi
  if [ "$last" != "$kv_benchmark_finished_line" ]; then
    kv_say "$kv_bench_tool: $kv_bench_program ended before it finished (a crash?); its output is in $kv_bench_log ($reading)"
    return 1
  fi
}

# Runs the benchmark program to its end (above).
kv_run_benchmark() {  # tool, program, arguments...
  kv_begin_benchmark "$@"
  kv_end_benchmark
}

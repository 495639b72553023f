# The fuzz stage of tools/test, sourced by it.

# kv_run_fuzzers LIST SECONDS WORK: runs every fuzz target that LIST names (lines "name
# path", as the native build writes them) for SECONDS at once, each over its corpus in
# WORK/fuzz/<name>, seeded from tests/fuzz/corpus/<name>; a failing target's log is shown.
# Sets kv_fuzz_summary to the stage's summary line; fails when a target failed, and when
# none ran (an empty or missing list): a stage that fuzzed nothing has shown nothing.
kv_run_fuzzers() {
  local list=$1 seconds=$2 work=$3
  local name path corpus entry pids=() count=0 failed=0
  while read -r name path; do
    [ -n "$name" ] || continue
    corpus=$work/fuzz/$name
    mkdir -p "$corpus"
    [ -d "tests/fuzz/corpus/$name" ] && cp -n tests/fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
    "$path" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 -artifact_prefix="$work/fuzz-artifacts-$name-" \
      "$corpus" >"$work/fuzz-$name.log" 2>&1 &
    pids+=("$!:$name")
  done < <(cat "$list" 2>/dev/null)
  for entry in "${pids[@]+"${pids[@]}"}"; do
    count=$((count + 1))
    if ! wait "${entry%%:*}"; then
      failed=$((failed + 1))
      echo "fuzz target ${entry#*:} failed:"; tail -40 "$work/fuzz-${entry#*:}.log"
    fi
  done
  if ((count == 0)); then
    kv_fuzz_summary="fuzz: no target in $list, nothing was fuzzed"
    echo "tools/test: $kv_fuzz_summary" >&2
    return 1
  fi
  kv_fuzz_summary="fuzz: $((count - failed)) of $count targets ran ${seconds}s without a fault"
  ((failed == 0))
}

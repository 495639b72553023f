# Building and running from the tools, sourced after windows-arch.sh from the project root.

# The parallel build jobs: KV_JOBS, else the number of processors (Ninja on its own takes
# two more than that).
kv_jobs() {
  echo "${KV_JOBS:-$(nproc)}"
}

# Configures the preset (the first time only, which takes a while) and builds the targets,
# saying which first.
kv_build() {  # tool, preset, targets...
  local tool=$1 preset=$2
  shift 2
  [ -f "build/$preset/CMakeCache.txt" ] || kv_say "$tool: configuring build/$preset (first run only)"
  cmake --preset "$preset" >/dev/null
  kv_say "$tool: building $* in build/$preset with $(kv_jobs) jobs"
  cmake --build --preset "$preset" -j "$(kv_jobs)" --target "$@"
}

# A Unix path as Wine's Z: drive names it.
kv_windows_path() {  # path
  local p
  p=$(realpath "$1")
  echo "Z:${p//\//\\}"
}

# The common start of a tools/benchmark-* script: the set-up, the build of its targets and
# the benchmarks' own Wine session, stopped when the script ends. Sets kv_preset and
# kv_wine_dir.
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

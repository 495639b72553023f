# Building and running from the tools, sourced after windows-arch.sh from the project root.

# The parallel build jobs: KV_JOBS, else the number of processors (Ninja on its own takes
# two more than that).
kv_jobs() {
  echo "${KV_JOBS:-$(nproc)}"
}

# A script's head comment, the lines after #! up to its first command: its --help.
kv_head_comment() {  # script
  sed -n '2,/^[^#]/{/^#/s/^# \{0,1\}//p}' "$1"
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

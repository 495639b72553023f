# The Windows architectures of the build, sourced by the tools.
# i686 is the product (preset `windows`, 32-bit Wine); x86_64 is the same sources with
# 8-byte pointers (preset `windows-x64`, 64-bit Wine), for machines without 32-bit support.

# A line of a tool's on stderr, broken to fit 80 columns, the rest indented.
kv_say() {  # words...
  echo "$*" | fold -s -w 78 | sed -e 's/ $//' -e '2,$s/^/  /' >&2
}

# Whether this machine executes 32-bit x86 programs: the 32-bit loader is the cheap probe.
# Sets kv_i686_reason to why not.
kv_can_run_i686() {
  local out
  if out=$(/lib/ld-linux.so.2 --version 2>&1 >/dev/null); then
    kv_i686_reason=""
    return 0
  fi
  # The shell's failure to start it reads "<script>: line N: <file>: ...: <cause>".
  out=${out##*: }
  out="/lib/ld-linux.so.2: ${out:-failed}"
  [ -e /lib/ld-linux.so.2 ] || out="/lib/ld-linux.so.2 is missing"
  kv_i686_reason="this machine cannot execute 32-bit programs ($out)"
  return 1
}

kv_preset_of() {  # arch
  case $1 in
    i686) echo windows ;;
    x86_64) echo windows-x64 ;;
    *) echo "unknown Windows architecture '$1' (known: i686 x86_64)" >&2; return 2 ;;
  esac
}

kv_wine_arch_of() {  # arch
  case $1 in
    i686) echo win32 ;;
    x86_64) echo win64 ;;
    *) echo "unknown Windows architecture '$1' (known: i686 x86_64)" >&2; return 2 ;;
  esac
}

# The architecture a single run uses (tools/run, tools/benchmark-resident): the first of
# KV_WINDOWS_ARCHS when set, else the product's where the machine can run it, else x86_64.
# Says which on stderr, with the reason.
kv_run_arch() {  # tool name
  local forced
  read -r forced _ <<<"${KV_WINDOWS_ARCHS:-}" || true
  if [ -n "$forced" ]; then
    kv_preset_of "$forced" >/dev/null || return 2
    echo "$1: the $forced build (KV_WINDOWS_ARCHS)" >&2
    echo "$forced"
  elif kv_can_run_i686; then
    echo "$1: the i686 build (the product) under 32-bit Wine" >&2
    echo i686
  else
    kv_say "$1: the x86_64 build under 64-bit Wine, as $kv_i686_reason"
    echo x86_64
  fi
}

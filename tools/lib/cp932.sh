# Wine's text for the terminal, sourced by the tools. In the sessions' prefixes (ANSI
# code page 932) the Windows programs, ours and Wine's own (reg, cmd, wineboot), write
# their text in code page 932; Wine's messages from outside the prefix are ASCII, which
# reads the same in both.

# The terminal's encoding, taken before a tool sets the locale it gives Wine.
kv_terminal_charmap=$(locale charmap 2>/dev/null || true)

# Code page 932 text on stdin, in the terminal's encoding. A character the terminal lacks
# shows as "?" and a byte that is no code page 932 is dropped: showing a log never fails
# its tool.
kv_from_cp932() {
  iconv -c -f CP932 -t "${kv_terminal_charmap:-UTF-8}//TRANSLIT" 2>/dev/null || true
}

# The same, each line as it comes (iconv on its own waits for the end of its input).
kv_lines_from_cp932() {
  local line
  while IFS= read -r line || [ -n "$line" ]; do
    printf '%s\n' "$line" | kv_from_cp932
  done
}

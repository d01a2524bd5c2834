#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# The layer rule, checked: which folder may include and link which, and that SDL stays in platform/.
#
# Usage: layers_check.sh <source folder>. Prints every breach as "file:line: what" and fails when
# there is one. Reads the #include lines of every .cpp and .h file and the add_library and
# target_link_libraries calls of every CMakeLists.txt; build folders inside the source are skipped.
set -euo pipefail
cd "${1:-.}"

# The layers from the bottom up. A folder may include and link itself and the folders on its line,
# nothing else; "*" is any folder. This table is the one place the allowed order is written down.
layers='
platform:
runtime:
levels:   runtime
graphics: runtime platform
devices:  runtime platform
planner:  runtime
commands: runtime
app:      levels graphics devices runtime platform
game:     app levels graphics devices planner commands runtime
tools:    levels runtime planner commands
tests:    *
bench:    *
fuzz:     *
'
# Only these folders may include SDL's headers or link SDL (tests/support drives SDL for the
# window tests).
sdl_homes='platform tests/support'

# Every C++ file and CMakeLists.txt, leaving out hidden folders and build folders (those holding a
# CMakeCache.txt).
list() {
  find . -mindepth 1 \( -name '.*' -o -type d -exec test -e '{}/CMakeCache.txt' \; \) -prune -o \
    -type f \( "$@" \) -print | sed 's|^\./||' | LC_ALL=C sort
}
sources=$(list -name '*.cpp' -o -name '*.h')
cmakes=$(list -name CMakeLists.txt)

# The includes: file, line and the included name of every quoted or angled #include.
includes() {
  # shellcheck disable=SC2086
  printf '%s\n' "$sources" | xargs grep -n -H -E '^[[:space:]]*#[[:space:]]*include' /dev/null || true
}

# CMake commands on one line each ("file:first line:command"), comments dropped.
cmake_commands() {
  local c
  for c in $cmakes; do
    awk -v f="$c" '{ sub(/#.*/, "") } buf == "" && NF { start = NR } { buf = buf " " $0 }
                   /\)/ { print f ":" start ":" buf; buf = "" }' "$c"
  done
}

{
  printf 'LAYERS\t%s\n' "$(printf '%s' "$layers" | tr '\n' ';')"
  printf 'SDL\t%s\n' "$sdl_homes"
  printf '%s\n' "$sources" | sed 's/^/FILE\t/'
  includes | sed 's/^/INC\t/'
  cmake_commands | sed 's/^/CMAKE\t/'
} | awk -F'\t' '
function top(path) { return index(path, "/") ? substr(path, 1, index(path, "/") - 1) : "" }
function may(from, to,   i, n, a) {
  if (from == to) return 1
  n = split(allowed[from], a, " ")
  for (i = 1; i <= n; ++i) if (a[i] == "*" || a[i] == to) return 1
  return 0
}
function sdl_home(path,   i, n, h) {
  n = split(sdl, h, " ")
  for (i = 1; i <= n; ++i) if (index(path, h[i] "/") == 1) return 1
  return 0
}
function fail(text) { print text; ++failures }
$1 == "LAYERS" {
  n = split($2, rows, ";")
  for (i = 1; i <= n; ++i) {
    if (rows[i] !~ /:/) continue
    name = rows[i]; sub(/:.*/, "", name); gsub(/ /, "", name)
    rest = rows[i]; sub(/^[^:]*:/, "", rest)
    allowed[name] = rest; known[name] = 1; order = order " " name
  }
  next
}
$1 == "SDL" { sdl = $2; next }
$1 == "FILE" {
  file[$2] = 1; base = $2; sub(/.*\//, "", base)
  byname[base] = (base in byname) ? "?" : $2
  if (!(top($2) in known) && !(top($2) in warned)) {
    fail($2 ": the folder \"" top($2) "\" has no place in the layer table of tests/layers_check.sh")
    warned[top($2)] = 1
  }
  ++files
  next
}
$1 == "INC" {
  # path:line:text
  rest = $2; path = rest; sub(/:.*/, "", path); rest = substr(rest, length(path) + 2)
  line = rest; sub(/:.*/, "", line); text = substr(rest, length(line) + 2)
  if (!match(text, /[<"][^>"]+[>"]/)) next
  name = substr(text, RSTART + 1, RLENGTH - 2); quoted = substr(text, RSTART, 1) == "\""
  if (name ~ /^SDL/ || name ~ /^SDL2\//) {
    if (!sdl_home(path)) fail(path ":" line ": includes " name "; only platform/ talks to SDL")
    next
  }
  if (!quoted) next
  if (index(name, "/")) { if (!(name in file)) next; target = name }
  else {
    dir = path; sub(/\/[^\/]*$/, "", dir)
    if ((dir "/" name) in file) target = dir "/" name
    else if ((name in byname) && byname[name] != "?") target = byname[name]
    else next
  }
  from = top(path); to = top(target)
  if ((from in known) && !may(from, to))
    fail(path ":" line ": " from "/ includes " name " from " to "/, which " from "/ may not use")
  next
}
$1 == "CMAKE" {
  rest = $2; path = rest; sub(/:.*/, "", path); rest = substr(rest, length(path) + 2)
  line = rest; sub(/:.*/, "", line); cmd = substr(rest, length(line) + 2)
  if (!(path in cmakes)) { cmakes[path] = 1; ++ncmakes }
  cmdpath[++ncmd] = path; cmdline[ncmd] = line; cmdtext[ncmd] = cmd
  if (match(cmd, /^[ \t]*add_library[ \t]*\([ \t]*[A-Za-z0-9_]+/)) {
    lib = substr(cmd, RSTART, RLENGTH); sub(/.*\([ \t]*/, "", lib)
    libfolder[lib] = top(path)
  }
  next
}
END {
  for (k = 1; k <= ncmd; ++k) {
    cmd = cmdtext[k]; path = cmdpath[k]; from = top(path)
    if (from == "" || !(from in known)) continue
    if (!match(cmd, /^[ \t]*target_link_libraries[ \t]*\(/)) continue
    body = substr(cmd, RSTART + RLENGTH); sub(/\)[ \t]*$/, "", body)
    n = split(body, w, /[ \t]+/)
    first = 1
    for (i = 1; i <= n; ++i) {
      if (w[i] == "") continue
      if (first) { first = 0; continue }  # the target itself
      if (w[i] ~ /^SDL2(::|$)/) {
        if (!sdl_home(path)) fail(path ":" cmdline[k] ": links " w[i] "; only platform/ talks to SDL")
      } else if ((w[i] in libfolder) && !may(from, libfolder[w[i]])) {
        fail(path ":" cmdline[k] ": " from "/ links " w[i] " from " libfolder[w[i]] "/, which " from "/ may not use")
      }
    }
  }
  if (failures) { print failures " breach(es) of the layer rule (allowed order:" order ")"; exit 1 }
  print "layers: " files " source files and " ncmakes " CMakeLists.txt keep to the layers:" order
}'

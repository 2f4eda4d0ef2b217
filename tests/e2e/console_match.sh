#!/bin/sh
# The Windows programs' console output against the Linux build's, byte for byte.
#   console_match.sh LINUX_PROGRAM KINETRACE_EXE KINETRACE_COM FOLDER...
# In each folder, the Linux kinetrace and both Windows programs (under Wine) run --json and
# --print on every .vmd there, by relative names from inside the folder; their standard
# output and exit status must be the same. Folders that are missing are skipped with a
# message; 77 (skipped) when the Linux program is missing or no folder holds a motion.
set -u
# Absolute names: the programs run from inside the sample folders.
absolute() { case $1 in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
linux=$(absolute "$1") exe=$(absolute "$2") com=$(absolute "$3")
shift 3
if [ ! -x "$linux" ]; then
  echo "console_match: no Linux kinetrace at '$linux' (configure with -DKINETRACE_LINUX_PROGRAM=...)"
  exit 77
fi
export WINEDEBUG=-all
work=$(mktemp -d "${TMPDIR:-/tmp}/kinetrace-match-XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

# run FOLDER COMMAND... : the command with every name of $names after it, in the folder.
run() {
  (
    cd "$1" || exit 126
    shift
    IFS='
'
    set -f
    # shellcheck disable=SC2086
    exec "$@" $names 2>/dev/null
  )
}

failures=0 compared=0
for folder in "$@"; do
  if [ ! -d "$folder" ]; then
    echo "console_match: skipping $folder: no such folder"
    continue
  fi
  # Names in byte order; a name holding a newline would be split, and none of ours does.
  # shellcheck disable=SC2010
  names=$(cd "$folder" && LC_ALL=C ls -1 | grep -i '\.vmd$')
  if [ -z "$names" ]; then
    echo "console_match: skipping $folder: no .vmd files"
    continue
  fi
  count=$(printf '%s\n' "$names" | wc -l)
  for mode in --json --print; do
    run "$folder" "$linux" "$mode" >"$work/linux"
    linuxStatus=$?
    for program in "$exe" "$com"; do
      run "$folder" wine "$program" "$mode" >"$work/wine"
      wineStatus=$?
      compared=$((compared + 1))
      what="$(basename "$program") $mode on $count files in $folder"
      if [ "$wineStatus" -ne "$linuxStatus" ]; then
        echo "console_match: $what: exit status $wineStatus, Linux $linuxStatus"
        failures=$((failures + 1))
      elif ! cmp -s "$work/linux" "$work/wine"; then
        echo "console_match: $what: output differs (- Linux, + Windows):"
        diff -u "$work/linux" "$work/wine" | head -20
        failures=$((failures + 1))
      else
        echo "console_match: $what: same $(wc -c <"$work/linux") bytes"
      fi
    done
  done
done
[ "$compared" -eq 0 ] && { echo "console_match: nothing to compare"; exit 77; }
[ "$failures" -eq 0 ]

#!/bin/sh
# Runs a Windows program under Wine for ctest, with its output passed on through a file.
# The first Windows program also starts Wine's own processes (services.exe, explorer.exe
# and others), which the persistent wineserver keeps and which inherit that program's
# standard output and error: on a pipe, ctest would wait for them to close it.
#   tools/wine_run.sh PROGRAM.exe [ARGUMENTS...]
set -u
out=$(mktemp "${TMPDIR:-/tmp}/kinetrace-wine-XXXXXX") || exit 1
wine "$@" </dev/null >"$out" 2>&1
status=$?
cat "$out"
rm -f "$out"
exit $status

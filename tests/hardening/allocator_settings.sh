#!/bin/sh
# Usage: allocator_settings.sh PROGRAM
# Runs the program with jemalloc asked to print its options at exit and
# checks the ones the program sets itself. A kernel without transparent huge
# pages makes jemalloc report "not supported" for them.
set -u
thp='always'
[ -e /sys/kernel/mm/transparent_hugepage/enabled ] || thp='not supported'
out=$(MALLOC_CONF=stats_print:true "$1" 2>&1 >/dev/null)
status=$?
if [ "$status" -ne 0 ]; then
  echo "the program ended with status $status"
  exit 1
fi
ok=0
printf '%s\n' "$out" | grep -q 'opt.narenas: 2$' || { echo "narenas is not 2"; ok=1; }
printf '%s\n' "$out" | grep -q "opt.thp: \"$thp\"" || { echo "thp is not \"$thp\""; ok=1; }
exit $ok

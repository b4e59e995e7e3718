#!/bin/bash
# One phase of make: one short line for it, the full output in build/logs/.
# Usage: phase.sh "what" LOG_NAME [--show REGEX] command...
# With --show, the lines of the output that match REGEX are printed too (the
# results). When the command fails, the log is named and its end shown.
here=$(cd "$(dirname "$0")/.." && pwd)
what=$1 log="$here/build/logs/$2.log" show=""
shift 2
[ "${1:-}" = --show ] && { show=$2; shift 2; }
mkdir -p "$(dirname "$log")"
printf '%s ... ' "$what"
start=$(date +%s)
"$@" >"$log" 2>&1 </dev/null
status=$?
if [ $status -eq 0 ]; then echo "done ($(($(date +%s) - start)) s)"; else echo "FAILED"; fi
[ -n "$show" ] && grep -E -- "$show" "$log" | sed 's/^/  /'
if [ $status -ne 0 ]; then
  echo "  full output: $log; its end:"
  tail -n 25 "$log" | sed 's/^/  | /'
fi
exit $status

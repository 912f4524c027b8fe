#!/usr/bin/env bash
# What one page search costs on hostile pages: 10,000 and 100,000 nested
# elements and one element with 40,000 attributes (the parser's cost once grew
# with the square of both), beside a one-line page as the baseline. Prints the
# wall time and peak memory of each run (/usr/bin/time) and the memory above
# the baseline; each must stay under 0.5 s and 100 MiB more.
# Usage: bench/page_cost.sh [BUILD_DIR]   (default: build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
driver=$build/bin/page_search_bench
[ -x "$driver" ] || { echo "missing $driver (build the target page_search_bench)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "missing /usr/bin/time (apt-get install time)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
pages = {
    "baseline": "<p>x",
    "nested-b-10000": "<b>" * 10000 + "x",
    "nested-b-100000": "<b>" * 100000 + "x",
    "nested-div-100000": "<div>" * 100000 + "x",
    "attributes-40000": "<div " + " ".join("a%d=1" % i for i in range(40000)) + ">x</div>",
}
for name, body in pages.items():
    with open(f"{work}/{name}.html", "w") as page:
        page.write("<!doctype html><html><body>" + body + "<video controls src=/v.mp4></video>")
PY

base_kib=
status=0
printf '%-20s %9s %10s %8s %s\n' page bytes seconds KiB "KiB over baseline"
for name in baseline nested-b-10000 nested-b-100000 nested-div-100000 attributes-40000; do
  page=$work/$name.html
  read -r seconds _ kib _ < <(/usr/bin/time -f '%e s %M KiB' "$driver" "$page" 2>&1 >/dev/null | tail -1)
  [ -n "$base_kib" ] || base_kib=$kib
  over=$((kib - base_kib))
  printf '%-20s %9d %10s %8d %d\n' "$name" "$(stat -c %s "$page")" "$seconds" "$kib" "$over"
  if awk -v s="$seconds" 'BEGIN { exit !(s >= 0.5) }' || [ "$over" -ge $((100 * 1024)) ]; then
    echo "  over the bound (0.5 s, 100 MiB more)" >&2
    status=1
  fi
done
exit $status

#!/usr/bin/env bash
# Times the fast paths of two builds side by side on the same inputs, the
# runs of the two alternating so that both see the same machine: whole runs
# of sorvel, sorvel-mim and sorvel-cim. Prints the median of ROUNDS rounds
# (default 5) of each and the ratio old / new.
#
#   bench/compare.sh OLD_BUILD NEW_BUILD [ROUNDS]     from the project's root
set -euo pipefail
cd "$(dirname "$0")/.."
old=$(cd "$1" && pwd); new=$(cd "$2" && pwd); rounds=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. bench/data.sh

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2 }'; }
seconds() {  # BUILD PROGRAM ANSWERS
  rm -f "$work/result.txt"
  { /usr/bin/time -f "%e" "$1/$2" <<<"$3" >/dev/null; } 2>&1 | tail -1
}
both() {  # PROGRAM ANSWERS WHAT
  : > "$work/old"; : > "$work/new"
  for _ in $(seq "$rounds"); do
    seconds "$old" "$1" "$2" >> "$work/old"
    seconds "$new" "$1" "$2" >> "$work/new"
  done
  awk -v o="$(median < "$work/old")" -v n="$(median < "$work/new")" -v what="$3" \
    'BEGIN { printf "%-40s old %7.3f s  new %7.3f s  old/new %5.2f\n", what, o, n, o / n }'
}

random_data 2000 1 > "$work/r2000.fdt"
random_data 10000 2 > "$work/r10000.fdt"
random_data 1000 3 > "$work/r1000.fdt"
NORMAL="10 85 95 0 0.5"; STRIKE="40 0 130 0 0.3"; THRUST="220 2 310 87 0.7"
synthetic_data 30 4 $NORMAL $STRIKE > "$work/mixed30.fdt"
synthetic_data 45 7 $NORMAL $STRIKE $THRUST > "$work/mixed45.fdt"
random_data 1 9 > "$work/one.fdt"
both sorvel "$work/one.fdt"$'\n'"$work/result.txt"$'\n'"1" "sorvel, 1 datum, weight 1"
for w in 1 4; do
  both sorvel "$work/r2000.fdt"$'\n'"$work/result.txt"$'\n'"$w" "sorvel, 2,000 data, weight $w"
  both sorvel "$work/r10000.fdt"$'\n'"$work/result.txt"$'\n'"$w" "sorvel, 10,000 data, weight $w"
done
both sorvel-mim "$work/mixed30.fdt"$'\n'"$work/result.txt"$'\n'"4"$'\n'"1" "sorvel-mim, k = 4, 30 data, two states"
both sorvel-mim "$work/mixed45.fdt"$'\n'"$work/result.txt"$'\n'"5"$'\n'"1" "sorvel-mim, k = 5, 45 data, three states"
both sorvel-cim "$work/r1000.fdt"$'\n'"$work/result.txt"$'\n'"2" "sorvel-cim, 1,000 data, weight 2"

#!/usr/bin/env bash
# Times the fast paths of two builds side by side on the same inputs, the
# runs of the two alternating so that both see the same machine: whole runs
# of sorvel, sorvel-mim and sorvel-cim. Prints the median of ROUNDS rounds
# (default 5) of each and the ratio old / new. The MIM run of 100 data
# (k = 5, 75 million subsets) takes a minute or more a run: it runs once
# per build, and only with LONG=1.
#
#   bench/compare.sh OLD_BUILD NEW_BUILD [ROUNDS]     from the project's root
#   LONG=1 bench/compare.sh OLD_BUILD NEW_BUILD [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
old=$(cd "$1" && pwd); new=$(cd "$2" && pwd); rounds=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. bench/data.sh

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2 }'; }
# The wall time of a run in seconds, to the microsecond (bash 5).
clock() { echo "$EPOCHREALTIME"; }
seconds() {  # BUILD PROGRAM ANSWERS: a run of the dialogue
  rm -f "$work/result.txt"
  local start; start=$(clock)
  "$1/$2" <<<"$3" >/dev/null
  awk -v a="$start" -v b="$(clock)" 'BEGIN { printf "%.4f\n", b - a }'
}
seconds_args() {  # BUILD PROGRAM ARGUMENTS...: a run of the command-line mode
  local build=$1 program=$2; shift 2
  local start; start=$(clock)
  "$build/$program" "$@" >/dev/null || return 1
  awk -v a="$start" -v b="$(clock)" 'BEGIN { printf "%.4f\n", b - a }'
}
both() {  # PROGRAM ANSWERS WHAT [ROUNDS]
  : > "$work/old"; : > "$work/new"
  for _ in $(seq "${4:-$rounds}"); do
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
# The command-line mode, its summary line included; a build without
# --bootstrap is left out.
: > "$work/old"; : > "$work/new"
for _ in $(seq "$rounds"); do
  seconds_args "$old" sorvel --weight 1 --bootstrap 0 --quiet --overwrite "$work/one.fdt" "$work/r.cdm" >> "$work/old" 2>/dev/null || true
  seconds_args "$new" sorvel --weight 1 --bootstrap 0 --quiet --overwrite "$work/one.fdt" "$work/r.cdm" >> "$work/new"
done
if [ -s "$work/old" ]; then
  awk -v o="$(median < "$work/old")" -v n="$(median < "$work/new")" -v what="sorvel --weight 1 --bootstrap 0, 1 datum" \
    'BEGIN { printf "%-40s old %7.3f s  new %7.3f s  old/new %5.2f\n", what, o, n, o / n }'
fi
for w in 1 4; do
  both sorvel "$work/r2000.fdt"$'\n'"$work/result.txt"$'\n'"$w" "sorvel, 2,000 data, weight $w"
  both sorvel "$work/r10000.fdt"$'\n'"$work/result.txt"$'\n'"$w" "sorvel, 10,000 data, weight $w"
done
both sorvel-mim "$work/mixed30.fdt"$'\n'"$work/result.txt"$'\n'"4"$'\n'"1" "sorvel-mim, k = 4, 30 data, two states"
both sorvel-mim "$work/mixed45.fdt"$'\n'"$work/result.txt"$'\n'"5"$'\n'"1" "sorvel-mim, k = 5, 45 data, three states"
if [ -n "${LONG:-}" ]; then
  synthetic_data 100 11 $NORMAL $STRIKE $THRUST > "$work/mixed100.fdt"
  both sorvel-mim "$work/mixed100.fdt"$'\n'"$work/result.txt"$'\n'"5"$'\n'"1" "sorvel-mim, k = 5, 100 data, three states" 1
fi
both sorvel-cim "$work/r1000.fdt"$'\n'"$work/result.txt"$'\n'"2" "sorvel-cim, 1,000 data, weight 2"

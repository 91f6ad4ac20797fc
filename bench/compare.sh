#!/usr/bin/env bash
# Times the fast paths of two builds side by side on the same inputs, the
# runs of the two alternating so that both see the same machine: whole runs
# of sorvel, sorvel-mim and sorvel-cim. Prints the median of ROUNDS rounds
# (default 5) of each and the ratio old / new. The MIM run of 100 data
# (k = 5, 75 million subsets) takes a minute or more a run: it runs once
# per build, and only with LONG=1. The bootstrap cases (command-line mode,
# 1000 resamples) and the MIM run of k = 2 on 2,000 data also give each
# build's peak memory (the median of its runs, /usr/bin/time -v).
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
# Like seconds_args, with the run's peak memory in MB after the time.
seconds_memory() {  # BUILD PROGRAM ARGUMENTS...
  local build=$1 program=$2; shift 2
  local start; start=$(clock)
  /usr/bin/time -v -o "$work/time.txt" "$build/$program" "$@" >/dev/null 2>&1 || return 1
  awk -v a="$start" -v b="$(clock)" '/Maximum resident set size/ { kb = $NF }
    END { printf "%.4f %.1f\n", b - a, kb / 1024 }' "$work/time.txt"
}
# PROGRAM WHAT ARGUMENTS...: old and new alternating, median time and memory.
both_memory() {
  local program=$1 what=$2; shift 2
  : > "$work/old"; : > "$work/new"
  for _ in $(seq "$rounds"); do
    seconds_memory "$old" "$program" "$@" >> "$work/old" || true
    seconds_memory "$new" "$program" "$@" >> "$work/new"
  done
  [ -s "$work/old" ] || { echo "$what: the old build cannot run it"; return; }
  local ot om nt nm
  ot=$(cut -d' ' -f1 "$work/old" | median); om=$(cut -d' ' -f2 "$work/old" | median)
  nt=$(cut -d' ' -f1 "$work/new" | median); nm=$(cut -d' ' -f2 "$work/new" | median)
  awk -v o="$ot" -v n="$nt" -v om="$om" -v nm="$nm" -v what="$what" \
    'BEGIN { printf "%-40s old %7.3f s  new %7.3f s  old/new %5.2f  peak %6.1f / %6.1f MB\n", what, o, n, o / n, om, nm }'
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
# The bootstrap: random planes, where no state stands out and the bounds
# prune least, and data of two or three stress states.
random_data 100 12 > "$work/r100.fdt"
synthetic_data 100 13 $NORMAL $STRIKE > "$work/two100.fdt"
synthetic_data 2000 14 $NORMAL $STRIKE $THRUST > "$work/mixed2000.fdt"
for set in r100 r1000 r2000 two100 mixed2000; do
  both_memory sorvel "sorvel --bootstrap 1000, $set" --weight 1 --bootstrap 1000 --quiet --overwrite \
    "$work/$set.fdt" "$work/r.cdm"
done
both_memory sorvel-mim "sorvel-mim --k 2, 2,000 data" --weight 1 --k 2 --quiet --overwrite \
  "$work/r2000.fdt" "$work/r.mim"
both sorvel-cim "$work/r1000.fdt"$'\n'"$work/result.txt"$'\n'"2" "sorvel-cim, 1,000 data, weight 2"

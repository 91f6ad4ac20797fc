#!/usr/bin/env bash
# Builds the project and times the straightforward paths (SORVEL_REFERENCE=1)
# against the fast ones on the same inputs, in one run: the fitness fill
# alone under each weight function, and whole runs of sorvel, sorvel-mim and
# sorvel-cim from start to results file. Prints the median of ROUNDS rounds
# (default 3; the slowest reference cases run once, see below), the ratios
# and the peak memory of each whole run; then what the bootstrap of sorvel
# adds to a run of 100 and of 1,000 data.
#
#   bench/run.sh [ROUNDS]          from the project's root
#   SKIP_FILL=1 bench/run.sh       the whole runs only
#
# SORVEL_THREADS is left as the caller sets it (unset: every hardware thread).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
build=build-bench
cmake -S . -B "$build" -DSORVEL_BENCHMARKS=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target sorvel_bench sorvel sorvel-mim sorvel-cim >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

. bench/data.sh

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2 }'; }

# whole PROGRAM ANSWERS ROUNDS_REFERENCE: median seconds and peak KB of the
# fast run and of the reference run.
whole() {
  local program=$1 answers=$2 reference_rounds=$3 mode out
  for mode in fast reference; do
    local n=$rounds; [ "$mode" = reference ] && n=$reference_rounds
    : > "$work/times"; : > "$work/memory"
    for _ in $(seq "$n"); do
      rm -f "$work/result.txt"
      if [ "$mode" = reference ]; then export SORVEL_REFERENCE=1; else unset SORVEL_REFERENCE; fi
      out=$( { /usr/bin/time -f "%e %M" "$build/$program" <<<"$answers" >/dev/null; } 2>&1 | tail -1)
      echo "${out% *}" >> "$work/times"; echo "${out#* }" >> "$work/memory"
    done
    unset SORVEL_REFERENCE
    eval "${mode}_time=$(median < "$work/times")"
    eval "${mode}_memory=$(median < "$work/memory")"
  done
  awk -v f="$fast_time" -v r="$reference_time" -v fm="$fast_memory" -v rm="$reference_memory" -v what="$4" \
    'BEGIN { printf "%-44s reference %8.2f s  fast %7.3f s  ratio %6.1f   peak %7.1f MB (reference %7.1f MB)\n", what, r, f, r / f, fm / 1024, rm / 1024 }'
}

if [ -z "${SKIP_FILL:-}" ]; then
echo "== fill_fitness_table alone (median of $rounds at 2,000 data, one round at 10,000)"
fill() {  # COUNT REPETITIONS
  "$build/sorvel_bench" --benchmark_filter="BM_FillFitnessTable/$1/" --benchmark_repetitions="$2" \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null | tr -d '"' |
    grep '^BM_' | grep -v -e _mean -e _stddev -e _cv
}
{ fill 2000 "$rounds"; fill 10000 1; } |
  awk -F, '{ name = $1; sub(/_median$/, "", name);
      split(name, a, "/"); key = sprintf("%5d data, weight %d", a[2], a[3]); t[key, a[4]] = $3; keys[key] = 1 }
    END { for (k in keys) printf "%-26s reference %9.1f ms  fast %7.2f ms  ratio %6.1f\n", k, t[k, "1"], t[k, "0"], t[k, "1"] / t[k, "0"] }' | sort -n

fi

echo "== whole runs (median of $rounds; the reference at 10,000 data once)"
random_data 2000 1 > "$work/r2000.fdt"
random_data 10000 2 > "$work/r10000.fdt"
random_data 1000 3 > "$work/r1000.fdt"
for w in 1 4; do
  whole sorvel "$work/r2000.fdt"$'\n'"$work/result.txt"$'\n'"$w" "$rounds" "sorvel, 2,000 data, weight $w"
  whole sorvel "$work/r10000.fdt"$'\n'"$work/result.txt"$'\n'"$w" 1 "sorvel, 10,000 data, weight $w"
done
NORMAL="10 85 95 0 0.5"; STRIKE="40 0 130 0 0.3"; THRUST="220 2 310 87 0.7"
synthetic_data 30 4 $NORMAL > "$work/one30.fdt"
synthetic_data 45 5 $NORMAL > "$work/one45.fdt"
synthetic_data 60 6 $NORMAL > "$work/one60.fdt"
synthetic_data 45 7 $NORMAL $STRIKE $THRUST > "$work/mixed45.fdt"
synthetic_data 60 8 $NORMAL $STRIKE > "$work/mixed60.fdt"
for k in 3 4 5; do
  for set in one30 one45 one60 mixed45 mixed60; do
    [ "$k" = 5 ] && [ "${set#*6}" != "$set" ] && continue  # C(60, 5) = 5.5 million: minutes for the reference
    whole sorvel-mim "$work/$set.fdt"$'\n'"$work/result.txt"$'\n'"$k"$'\n'"1" "$rounds" "sorvel-mim, k = $k, $set, weight 1"
  done
done
whole sorvel-cim "$work/r1000.fdt"$'\n'"$work/result.txt"$'\n'"2" "$rounds" "sorvel-cim, 1,000 data, weight 2"

echo "== the bootstrap: sorvel --bootstrap 1000 against --bootstrap 0 (median of $rounds)"
# bootstrap N: median seconds and peak MB of a command-line run of N data
# with and without 1000 resamples.
bootstrap() {
  local n=$1 b out
  synthetic_data "$n" 9 $NORMAL > "$work/b$n.fdt"
  for b in 0 1000; do
    : > "$work/times"; : > "$work/memory"
    for _ in $(seq "$rounds"); do
      out=$( { /usr/bin/time -f "%e %M" "$build/sorvel" --weight 1 --quiet --overwrite --bootstrap "$b" \
               "$work/b$n.fdt" "$work/result.txt" >/dev/null; } 2>&1 | tail -1)
      echo "${out% *}" >> "$work/times"; echo "${out#* }" >> "$work/memory"
    done
    eval "time_$b=$(median < "$work/times")"; eval "memory_$b=$(median < "$work/memory")"
  done
  awk -v n="$n" -v t0="$time_0" -v t1="$time_1000" -v m0="$memory_0" -v m1="$memory_1000" \
    'BEGIN { printf "sorvel, %5d data: without %6.2f s, with 1000 resamples %6.2f s (adds %5.2f s); peak %6.1f MB, %6.1f MB\n", n, t0, t1, t1 - t0, m0 / 1024, m1 / 1024 }'
}
bootstrap 100
bootstrap 1000

#!/usr/bin/env bash
# Builds every libFuzzer target of fuzz/ with clang in its own build folder and
# runs each for SECONDS. Exits non-zero on any finding (crash, leak, timeout,
# sanitizer report), naming the target and the reproducer.
#
#   tools/fuzz.sh SECONDS [TARGET...]
#
# Environment: FUZZ_BUILD_DIR (default build-fuzz), TARNVALE_SHARED_DATA (real
# data files whose small slices join the seed corpora when present).
set -u -o pipefail

if [[ $# -lt 1 || ! "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: tools/fuzz.sh SECONDS [TARGET...]" >&2
  exit 2
fi
seconds=$1
shift

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
data=${TARNVALE_SHARED_DATA:-$root/../shared/data}
all_targets=(fuzz_location fuzz_settings fuzz_climate_grid fuzz_hgt fuzz_zones fuzz_profile_csv fuzz_tile_archive fuzz_sites fuzz_antenna_pattern)
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=("${all_targets[@]}")

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARNVALE_FUZZ=ON -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF -DBUILD_GUI=OFF -DBUILD_PYTHON=OFF "${launcher[@]}" >/dev/null ||
    { echo "fuzz: configuring $build failed" >&2; exit 2; }
fi
cmake --build "$build" -j2 -t "${targets[@]}" >/dev/null || { echo "fuzz: building the targets failed" >&2; exit 2; }

# Seeds: the hand-made ones kept with the targets, plus small slices of the
# real data files (which are never kept in the project).
add_real_seeds() {
  local target=$1 seeds=$2
  case $target in
    fuzz_climate_grid)
      for f in n0.txt dn.txt DNDZ_50.TXT; do
        [[ -f "$data/climate/$f" ]] && { printf '\x03\x04\x00\x80\x00\x80\x00'; head -c 2000 "$data/climate/$f"; } \
          >"$seeds/real-$f"
      done ;;
    fuzz_hgt)
      for f in "$data"/srtm/*.hgt; do
        [[ -f "$f" ]] || continue
        { printf '\x01\x40\x00\x80\x00\xc0\x00\x20\x00\x10\x00\x80\x00\x40\x00\x80\x00'
          tail -c +1400000 "$f" | head -c 2048; } >"$seeds/real-$(basename "$f")"
      done ;;
    fuzz_zones)
      if [[ -f "$data/zones/zones01.dem.gz" ]]; then
        { printf '\x7f\xf0\x00\x10\x7f\x00\x7f\x00\x7f\x00\x7f\x00\x7f\x00\x7f\x00\x10\x00'
          gzip -dc "$data/zones/zones01.dem.gz" | head -c 4096; } >"$seeds/real-zones01"
      fi ;;
  esac
  return 0
}

status=0
summary=()
for target in "${targets[@]}"; do
  exe="$build/fuzz/$target"
  corpus="$build/corpus/$target"
  seeds="$build/seeds/$target"
  findings="$build/findings"
  mkdir -p "$corpus" "$seeds" "$findings"
  [[ -d "$root/fuzz/seeds/$target" ]] && cp "$root/fuzz/seeds/$target"/* "$seeds"/ 2>/dev/null
  add_real_seeds "$target" "$seeds"
  log="$build/$target.log"
  "$exe" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -max_len=8192 -print_final_stats=1 \
    -artifact_prefix="$findings/$target-" "$corpus" "$seeds" >"$log" 2>&1
  rc=$?
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  corp=$(grep -Eo 'corp: [0-9]+/[0-9]+[a-zA-Z]*' "$log" | tail -1 | sed 's/corp: //')
  line="$target: ${execs:-?} runs in ${seconds} s, corpus ${corp:-?}"
  if [[ $rc -ne 0 ]]; then
    reproducer=$(grep -Eo "Test unit written to [^ ]+" "$log" | tail -1 | sed 's/Test unit written to //')
    line="$line, FINDING (exit $rc) reproducer ${reproducer:-none written}, log $log"
    echo "fuzz: FINDING in $target: reproducer ${reproducer:-none written} (log $log)" >&2
    grep -m3 -E 'ERROR|SUMMARY|runtime error' "$log" >&2
    status=1
  fi
  summary+=("$line")
done
printf '%s\n' "${summary[@]}"
exit $status

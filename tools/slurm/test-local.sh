#!/usr/bin/env bash
# The many-sites job on a real (private, single-node) Slurm: six sites of a
# site list on the shared N51W002 tile go through submit.sh; the mosaic it
# makes must hold the same raster values as the same run made without Slurm.
# Then one site's map in four parts through submit-parts.sh: the joined file
# must be the GeoTIFF that one process writes for the whole map, byte for byte.
#   tools/slurm/test-local.sh [path/to/tarnvale-cli]
# Needs root and Debian's slurmctld, slurmd, slurm-client and munge; skips with
# a message where they or the shared tiles are absent.
set -euo pipefail
top="$(cd "$(dirname "$0")/../.." && pwd)"
cli="$(realpath "${1:-$top/build/cli/tarnvale-cli}")"
tiles="${TARNVALE_SHARED_DATA:-$top/../shared/data}/srtm"
skip() { echo "test-local.sh: SKIPPED: $*"; exit 0; }
[ "$(id -u)" -eq 0 ] || skip "needs root to start slurmctld, slurmd and munged"
for tool in slurmctld slurmd sbatch munged; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done
[ -f "$tiles/N51W002.hgt" ] || skip "no shared tiles at $tiles"
[ -x "$cli" ] || { echo "test-local.sh: no tarnvale-cli at $cli" >&2; exit 1; }
start=$(date +%s)

. "$top/tools/slurm/local-cluster.sh"
local_cluster_start 2
work="$local_cluster_dir/work"
mkdir -p "$work"

# Six sites on the tile (one a locator), and one line the list rules skip.
cat > "$work/sites.dat" <<'SITES'
Walbury Hill~SU374616
Newbury~SU470670
Hungerford~SU339687
Whitchurch~SU462480
Andover Down~io91ff
Marlborough~SU190690
Not a site~SU 374 616
SITES
options=(--terrain "$tiles" --range 3 --resolution 10)

# Waits until no job is queued or running.
drain() {
  for _ in $(seq 1 170); do
    [ -z "$(squeue -h 2>/dev/null)" ] && return 0
    sleep 1
  done
  echo "test-local.sh: FAILED: jobs still queued after 170 s" >&2
  squeue >&2
  exit 1
}

TARNVALE_CLI="$cli" CPUS_PER_TASK=1 "$top/tools/slurm/submit.sh" "$work/sites.dat" "$work/slurm" "${options[@]}"
drain
[ -f "$work/slurm/mosaic/best.tif" ] || {
  echo "test-local.sh: FAILED: no mosaic; logs:" >&2
  tail -n 5 "$work/slurm/logs/"* >&2
  exit 1
}
n=$(ls "$work/slurm"/[0-9]*-*.tif | wc -l)
[ "$n" -eq 6 ] || { echo "test-local.sh: FAILED: $n site maps, expected 6" >&2; exit 1; }

# The same job on this machine alone.
"$cli" coverage --sites "$work/sites.dat" --outdir "$work/local" "${options[@]}" >/dev/null
"$cli" mosaic "$work/local"/[0-9]*-*.tif --out "$work/local/best.tif" --server "$work/local/server.tif"
if ! cmp -s "$work/slurm/mosaic/best.tif" "$work/local/best.tif" || \
   ! cmp -s "$work/slurm/mosaic/server.tif" "$work/local/server.tif"; then
  echo "test-local.sh: FAILED: the mosaic under Slurm differs from the run without it" >&2
  exit 1
fi

# One site in four bands of rows, joined after the array succeeds.
site=(--tx SU374616 --terrain "$tiles" --range 3 --resolution 4)
TARNVALE_CLI="$cli" CPUS_PER_TASK=1 "$top/tools/slurm/submit-parts.sh" 4 "$work/parts" "${site[@]}"
drain
[ -f "$work/parts/coverage.tif" ] || {
  echo "test-local.sh: FAILED: the parts were not joined; logs:" >&2
  tail -n 5 "$work/parts/logs/"* >&2
  exit 1
}
"$cli" coverage "${site[@]}" --geotiff "$work/whole.tif" >/dev/null
if ! cmp "$work/parts/coverage.tif" "$work/whole.tif"; then
  echo "test-local.sh: FAILED: the map joined from four parts under Slurm differs from the one-process map" >&2
  exit 1
fi
echo "test-local.sh: passed: 6 sites under Slurm, mosaic identical to the run without it; one map in 4 parts" \
  "joined byte for byte into the one-process GeoTIFF ($(( $(date +%s) - start )) s)"

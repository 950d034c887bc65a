#!/usr/bin/env bash
# Maps every site of a site list on a Slurm cluster: a job array with one task
# per site, then the best-server mosaic once every task has succeeded.
#   tools/slurm/submit.sh SITES.dat OUTDIR [coverage options]
# Environment: TARNVALE_CLI (default: tarnvale-cli on PATH), CPUS_PER_TASK
# (default 2: the cores one task's coverage run uses), SBATCH_EXTRA (more sbatch
# options, e.g. "--partition=long"). Prints the two job ids.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 SITES.dat OUTDIR [coverage options]" >&2
  exit 2
fi
here="$(cd "$(dirname "$0")" && pwd)"
sites="$(realpath "$1")"
outdir="$(realpath -m "$2")"
shift 2
cli="${TARNVALE_CLI:-tarnvale-cli}"
cli="$(command -v "$cli" || echo "$cli")"
export TARNVALE_CLI="$cli"
cpus="${CPUS_PER_TASK:-2}"

count=$("$cli" sites "$sites" --json | sed -n 's/^ *"count": *\([0-9]*\).*/\1/p' | head -n 1)
if [ -z "$count" ] || [ "$count" -eq 0 ]; then
  echo "$0: no sites accepted in $sites" >&2
  exit 1
fi
mkdir -p "$outdir/mosaic" "$outdir/logs"

# shellcheck disable=SC2086
array=$(sbatch --parsable ${SBATCH_EXTRA:-} --array=0-$((count - 1)) --cpus-per-task="$cpus" \
  --output="$outdir/logs/site-%a.out" "$here/coverage-array.sbatch" "$sites" "$outdir" "$@")
array="${array%%;*}"
# shellcheck disable=SC2086
mosaic=$(sbatch --parsable ${SBATCH_EXTRA:-} --dependency=afterok:"$array" --cpus-per-task=1 \
  --job-name=tarnvale-mosaic --output="$outdir/logs/mosaic.out" \
  --wrap "\"$cli\" mosaic \"$outdir\"/[0-9]*-*.tif --out \"$outdir/mosaic/best.tif\" --server \"$outdir/mosaic/server.tif\"")
echo "coverage array: job $array ($count sites, $cpus cores each)"
echo "mosaic: job ${mosaic%%;*} (after the array succeeds): $outdir/mosaic/best.tif, $outdir/mosaic/server.tif"

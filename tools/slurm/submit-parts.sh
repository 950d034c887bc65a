#!/usr/bin/env bash
# Maps one site in N parts on a Slurm cluster: a job array with one task per
# band of rows (coverage --part I/N), then a job that joins the parts into the
# whole map's GeoTIFF once every task has succeeded (mosaic --join): the same
# file, byte for byte, as `tarnvale-cli coverage ... --geotiff` in one process.
#   tools/slurm/submit-parts.sh N OUTDIR --tx LOCATION --terrain DIR [coverage options]
# The coverage options are those of one map written by --geotiff alone (no
# --out, --scale, --kml, --kmz or --sites). Environment: TARNVALE_CLI (default:
# tarnvale-cli on PATH), CPUS_PER_TASK (default 2), SBATCH_EXTRA (more sbatch
# options). Writes OUTDIR/part-I-of-N.tif, OUTDIR/coverage.tif and logs in
# OUTDIR/logs; prints the two job ids.
set -euo pipefail
if [ $# -lt 2 ] || ! [[ "$1" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 N OUTDIR --tx LOCATION --terrain DIR [coverage options]" >&2
  exit 2
fi
here="$(cd "$(dirname "$0")" && pwd)"
count="$1"
outdir="$(realpath -m "$2")"
shift 2
cli="${TARNVALE_CLI:-tarnvale-cli}"
cli="$(command -v "$cli" || echo "$cli")"
export TARNVALE_CLI="$cli"
cpus="${CPUS_PER_TASK:-2}"
mkdir -p "$outdir/logs"

# shellcheck disable=SC2086
array=$(sbatch --parsable ${SBATCH_EXTRA:-} --array=1-"$count" --cpus-per-task="$cpus" \
  --output="$outdir/logs/part-%a.out" "$here/coverage-parts.sbatch" "$count" "$outdir" "$@")
array="${array%%;*}"
parts=()
for i in $(seq 1 "$count"); do parts+=("\"$outdir/part-$i-of-$count.tif\""); done
# shellcheck disable=SC2086
join=$(sbatch --parsable ${SBATCH_EXTRA:-} --dependency=afterok:"$array" --cpus-per-task=1 \
  --job-name=tarnvale-join --output="$outdir/logs/join.out" \
  --wrap "\"$cli\" mosaic --join ${parts[*]} --out \"$outdir/coverage.tif\"")
echo "coverage parts: job $array ($count parts, $cpus cores each)"
echo "join: job ${join%%;*} (after every part succeeds): $outdir/coverage.tif"

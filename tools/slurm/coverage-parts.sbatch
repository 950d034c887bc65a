#!/usr/bin/env bash
# One task of a Slurm job array: band I of N of one site's coverage map,
# I the array index (1 ... N).
#   sbatch --array=1-N --cpus-per-task=C coverage-parts.sbatch N OUTDIR [coverage options: --tx ... --terrain ...]
# Writes OUTDIR/part-I-of-N.tif, renamed into place when complete, so that a
# task killed and run again leaves no half file; mosaic --join makes the
# whole map's GeoTIFF of the N files.
#SBATCH --job-name=tarnvale-part
#SBATCH --ntasks=1
set -euo pipefail
count="$1"
outdir="$2"
shift 2
index="${SLURM_ARRAY_TASK_ID:?not in a job array}"
exec "${TARNVALE_CLI:-tarnvale-cli}" coverage "$@" --part "$index/$count" \
  --geotiff "$outdir/part-$index-of-$count.tif" --threads "${SLURM_CPUS_PER_TASK:-1}"

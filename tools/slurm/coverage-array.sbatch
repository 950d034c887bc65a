#!/usr/bin/env bash
# One task of a Slurm job array: the coverage map of one site of a site list.
#   sbatch --array=0-(N-1) --cpus-per-task=C coverage-array.sbatch SITES.dat OUTDIR [coverage options]
# The task's index is the site's index among the list's accepted sites. A task
# that is killed and run again finds no half-written file (outputs are renamed
# into place when complete) and skips a site whose output is already complete.
#SBATCH --job-name=tarnvale-coverage
#SBATCH --ntasks=1
set -euo pipefail
sites="$1"
outdir="$2"
shift 2
exec "${TARNVALE_CLI:-tarnvale-cli}" coverage --sites "$sites" --site-index "${SLURM_ARRAY_TASK_ID:?not in a job array}" \
  --outdir "$outdir" --threads "${SLURM_CPUS_PER_TASK:-1}" "$@"

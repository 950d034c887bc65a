#!/usr/bin/python3
"""What the Python layer adds to a path: tarnvale.path() on the default link
and tarnvale.profile_loss() on a 1,000-point profile, timed beside the core's
own run of the same inputs (path_report_bench, run here in the same session).

    PYTHONPATH=build/python bench/python_overhead.py build/bench/path_report_bench

Prints each call's time, the core's, and the share the Python layer adds
(keyword checks, arrays in, the report's dict out)."""
import json
import math
import subprocess
import sys
import timeit
from pathlib import Path

import numpy as np

import tarnvale

SAMPLE = str(Path(__file__).resolve().parent.parent / "data" / "sample")


def profile1000():
    """The profile path_report_bench builds: 1,000 samples over 50 km."""
    d = np.linspace(0.0, 50.0, 1000)
    i = np.arange(1000)
    sea = (i < 50) | (i >= 950)
    h = np.where(sea, 0.0, 120.0 + 80.0 * np.sin(d / 3.0) + 40.0 * np.sin(d * 1.7))
    z = np.where(sea, 1, 3)
    return d, h, z


def per_call_us(call, seconds=2.0):
    """Median of five runs, each as many calls as fill about seconds / 5."""
    number = max(1, int(seconds / 5 / max(timeit.timeit(call, number=1), 1e-7)))
    return 1e6 * sorted(timeit.repeat(call, number=number, repeat=5))[2] / number


def main():
    bench = sys.argv[1] if len(sys.argv) > 1 else "build/bench/path_report_bench"
    done = subprocess.run([bench, "--benchmark_format=json", "--benchmark_repetitions=5",
                           "--benchmark_report_aggregates_only=true"], capture_output=True, text=True, check=True)
    core = {b["run_name"]: b["real_time"] for b in json.loads(done.stdout)["benchmarks"]
            if b.get("aggregate_name") == "median"}
    d, h, z = profile1000()
    calls = [
        ("path() default link", "BM_PathReportDefaultLink",
         lambda: tarnvale.path("SU374616", "IO91JO26", terrain=SAMPLE)),
        ("profile_loss() 1000 points, classic", "BM_PathReportProfile1000/p452:0",
         lambda: tarnvale.profile_loss(d, h, z, lat=51.2, freq=2, percent=10)),
        ("profile_loss() 1000 points, p452-18", "BM_PathReportProfile1000/p452:1",
         lambda: tarnvale.profile_loss(d, h, z, lat=51.2, freq=2, percent=10, model="p452-18")),
    ]
    print(f"{'call':40} {'python us':>10} {'core us':>10} {'added':>8}")
    worst = 0.0
    for name, key, call in calls:
        python_us = per_call_us(call)
        core_us = core[key]
        added = (python_us - core_us) / core_us
        worst = max(worst, added)
        print(f"{name:40} {python_us:10.1f} {core_us:10.1f} {100 * added:7.1f}%")
    return 0 if math.isfinite(worst) else 1


if __name__ == "__main__":
    sys.exit(main())

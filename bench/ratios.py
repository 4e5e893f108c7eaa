#!/usr/bin/env python3
"""Runs a benchmark binary with JSON output and prints, for every case named Ours/<case>,
its throughput divided by that of each baseline named <Baseline>/<case> in the same run.

    bench/ratios.py build/release/stage/bin/bench_Encoding [extra benchmark flags]

With --benchmark_repetitions=N each case's median is used. A case's Floor/<case>, when there
is one, is shown on a row of its own against the same baselines.
"""
import json
import subprocess
import sys


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    command = [argv[1], "--benchmark_format=json"] + argv[2:]
    report = json.loads(subprocess.run(command, check=True, capture_output=True, text=True).stdout)
    # With --benchmark_repetitions the median of the repetitions stands for each case.
    medians = any(e.get("aggregate_name") == "median" for e in report["benchmarks"])
    speeds = {}
    for entry in report["benchmarks"]:
        if "bytes_per_second" not in entry:
            continue
        if medians and entry.get("aggregate_name") != "median":
            continue
        if not medians and entry.get("run_type", "iteration") != "iteration":
            continue
        role, _, case = entry.get("run_name", entry["name"]).partition("/")
        speeds.setdefault(case, {})[role] = entry["bytes_per_second"]
    # A case may also carry a floor: the least that any implementation of it must do (say,
    # allocating its result). The floor gets a row of its own, set against the same baselines,
    # which shows the best ratio that the case could reach.
    baselines = sorted({role for roles in speeds.values() for role in roles} - {"Ours", "Floor"})
    header = f"{'case':<34} {'ours MB/s':>10}" + "".join(f" {'/ ' + b:>10}" for b in baselines)
    print(header)
    for case, roles in speeds.items():
        for role, label in (("Ours", case), ("Floor", case + " floor")):
            if role not in roles:
                continue
            speed = roles[role]
            line = f"{label:<34} {speed / 1e6:>10.0f}"
            for b in baselines:
                line += f" {speed / roles[b]:>10.2f}" if b in roles else f" {'-':>10}"
            print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

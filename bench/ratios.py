#!/usr/bin/env python3
"""Runs a benchmark binary with JSON output and prints, for every case named Ours/<case>,
its throughput divided by that of each baseline named <Baseline>/<case> in the same run.

    bench/ratios.py build/release/stage/bin/bench_Encoding [extra benchmark flags]

With --benchmark_repetitions=N each case's median is used.
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
    baselines = sorted({role for roles in speeds.values() for role in roles} - {"Ours"})
    header = f"{'case':<34} {'ours MB/s':>10}" + "".join(f" {'/ ' + b:>10}" for b in baselines)
    print(header)
    for case, roles in speeds.items():
        if "Ours" not in roles:
            continue
        ours = roles["Ours"]
        line = f"{case:<34} {ours / 1e6:>10.0f}"
        for b in baselines:
            line += f" {ours / roles[b]:>10.2f}" if b in roles else f" {'-':>10}"
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
"""Prints ours/baseline for every benchmark pair of a Google Benchmark JSON report.

A pair is BM_Ours_<Case> and BM_<Baseline>_<Case> with the same arguments. With repetitions,
the medians are compared.

    bench_Registry --benchmark_repetitions=5 --benchmark_format=json > out.json
    tools/bench_ratios.py out.json
"""
import json
import re
import sys


def main(path):
    with open(path) as f:
        report = json.load(f)
    times = {}
    for b in report["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = re.sub(r"_median$", "", b["name"])
        m = re.match(r"BM_([A-Za-z0-9]+)_([^/]+)(.*)", name)
        if not m:
            continue
        who, case, args = m.groups()
        times.setdefault((case, args), {})[who] = (b["real_time"], b["cpu_time"], b["time_unit"])
    print(f"{'case':32} {'ours':>12} {'baseline':>12} {'real ratio':>10} {'cpu ratio':>10}")
    for (case, args), entry in sorted(times.items()):
        if "Ours" not in entry:
            continue
        ours = entry["Ours"]
        for who, base in entry.items():
            if who == "Ours":
                continue
            label = f"{case}{args} vs {who}"
            print(f"{label:32} {ours[0]:10.0f}{ours[2]:>2} {base[0]:10.0f}{base[2]:>2} "
                  f"{ours[0] / base[0]:10.2f} {ours[1] / base[1]:10.2f}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "/dev/stdin")

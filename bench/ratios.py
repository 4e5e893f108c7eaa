#!/usr/bin/env python3
"""Prints ours / baseline for every pair of benchmarks named Ours_<case> and Baseline_<case>.

Usage: bench_Variant --benchmark_format=json [--benchmark_repetitions=5] | bench/ratios.py
With repetitions the medians are compared.
"""
import json
import sys


def main() -> int:
    report = json.load(sys.stdin)
    times = {}
    medians = {}
    for b in report["benchmarks"]:
        if b.get("run_type", "iteration") == "iteration":
            times.setdefault(b["name"], b["cpu_time"])
        elif b.get("aggregate_name") == "median":
            medians[b["run_name"]] = b["cpu_time"]
    times.update(medians)
    print(f"{'case':36} {'ours ns':>10} {'baseline ns':>12} {'ratio':>7}")
    for name, ours in times.items():
        if not name.startswith("Ours_"):
            continue
        case = name[len("Ours_"):]
        base = times.get("Baseline_" + case)
        if base:
            print(f"{case:36} {ours:10.1f} {base:12.1f} {ours / base:7.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

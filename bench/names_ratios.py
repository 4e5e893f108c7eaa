#!/usr/bin/env python3
"""Prints the ratios that the ReplaceEx and keyword benchmarks are judged by: time per byte
by size and its largest/smallest ratio, and baseline/ours, from Google Benchmark JSON.

    build/release/stage/bin/bench_ReplaceEx --benchmark_format=json | python3 bench/names_ratios.py
    build/release/stage/bin/bench_KeyWords --benchmark_format=json | python3 bench/names_ratios.py
"""
import json
import sys


def main():
    runs = {b["name"]: b for b in json.load(sys.stdin)["benchmarks"] if b.get("run_type", "iteration") == "iteration"}
    per_byte = {}
    for name, run in runs.items():
        base, _, arg = name.partition("/")
        if "ns_per_byte" in run:
            per_byte.setdefault(base, []).append((int(arg), run["ns_per_byte"]))
    for base, points in sorted(per_byte.items()):
        points.sort()
        for size, ns in points:
            print(f"{base:24} {size:>9} bytes  {ns:8.3f} ns/byte")
        print(f"{base:24} largest/smallest per-byte time: {points[-1][1] / points[0][1]:.2f}")
    for name, run in sorted(runs.items()):
        if name.startswith("BM_Baseline"):
            ours = runs.get(name.replace("BM_Baseline", "BM_", 1))
            if ours:
                print(f"{name:32} baseline/ours: {run['real_time'] / ours['real_time']:.1f}x")
    for name, run in sorted(runs.items()):
        if name.startswith("BM_Literal"):
            ours = runs.get(name.replace("BM_Literal", "BM_", 1))
            if ours:
                print(f"{name:32} literal/ours: {run['real_time'] / ours['real_time']:.1f}x")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Parses --json answers back with a real JSON parser, one command for each kind of value the
program writes (escaped text, numbers, non-finite numbers, booleans, lists, paths whose bytes are
not UTF-8, the registry's nested objects), in a temporary directory. What the commands answer
is their C++ tests'; here only that the JSON reads back to the same values. Usage:
json_check.py <utility>"""
import atexit
import json
import os
import shutil
import subprocess
import sys
import tempfile

utility = os.path.abspath(sys.argv[1])
work = tempfile.mkdtemp(prefix="utility-json-")
atexit.register(shutil.rmtree, work, ignore_errors=True)
# Nothing the commands write may land outside the temporary directory.
os.environ.update(UTILITY_REGISTRY_DIR=os.path.join(work, "registry"), HOME=work,
                  XDG_CONFIG_HOME=os.path.join(work, "config"))
os.makedirs(os.path.join(work, "registry"))
os.makedirs(os.fsencode(os.path.join(work, "tree")) + b"/\xff")

failures = 0


def answer(status, *args):
    """The one-line JSON object a command printed with --json, and its exit status checked."""
    global failures
    r = subprocess.run([utility, *args, "--json"], cwd=work, capture_output=True)
    try:
        if r.returncode != status:
            raise ValueError(f"exit status {r.returncode}, expected {status}: {r.stderr!r}")
        if r.stdout.count(b"\n") != 1 or not r.stdout.endswith(b"\n"):
            raise ValueError("not on one line")
        value = json.loads(r.stdout)
        if not isinstance(value, dict):
            raise ValueError("not a JSON object")
        return value
    except ValueError as e:
        print(f"FAIL {' '.join(args)}: {e}\n  stdout: {r.stdout!r}", file=sys.stderr)
        failures += 1
        return {}


text = "a\"b\\c\td\ne\rf\x01g é中😀"
app = "HKCU\\Software\\App"
for args in (["reg", "set", app, "N", "dword:42"], ["reg", "set", app, "M", "multi_sz:\"x\",\"y\""],
             ["reg", "set", app, "B", "binary:0a,ff"], ["reg", "set", app + "\\Sub", "S", "sz:a \"q\" b"]):
    answer(0, *args)
checks = [
    (answer(0, "names", "replace", "Q", "+", "Q", text).get("text"), text),
    (answer(0, "encoding", "to-wide", "café"), {"via": "ANSIToUnicode2", "units": ["0063", "0061", "0066", "00E9"],
                                                 "count": 4}),
    (answer(1, "names", "numeric", "1.5"), {"numeric": False}),
    (answer(0, "bits", "set-digit", "-123", "1", "5"), {"result": 4294967243, "signed": -53}),
    (answer(0, "system", "error-text", "2").get("text", "").endswith("\r\n"), True),
    # Numbers JSON cannot write travel as strings; the others as numbers.
    (answer(0, "variant", "number", "R8", "1e999").get("number"), "inf"),
    (answer(0, "variant", "number", "R8", "0.1").get("number"), 0.1),
    (answer(0, "files", "list", os.path.join(work, "tree")).get("directories"), [os.path.join(work, "tree", "\udcff")]),
    (answer(0, "reg", "query", app + "\\Sub", "S").get("value"), {"name": "S", "type": "sz", "data": "a \"q\" b"}),
    ([[v["name"], v["data"]] for v in answer(0, "reg", "query", app).get("values", [])],
     [["B", [10, 255]], ["M", ["x", "y"]], ["N", 42]]),
    (answer(0, "reg", "keys", app).get("keys"), ["Sub"]),
    (answer(0, "reg", "readonly", app).get("readonly"), False),
]
for got, expected in checks:
    if got != expected:
        print(f"FAIL value {got!r}, expected {expected!r}", file=sys.stderr)
        failures += 1

print(f"{len(checks) - failures} of {len(checks)} JSON answers read back")
sys.exit(1 if failures else 0)

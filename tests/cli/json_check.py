#!/usr/bin/env python3
"""Runs every command that prints a result with --json, in a temporary directory, and parses
what it printed back with a real JSON parser: each answer must be one JSON object holding the
named fields with the expected JSON types. Usage: json_check.py <utility>"""
import atexit
import json
import shutil
import os
import subprocess
import sys
import tempfile

utility = os.path.abspath(sys.argv[1])
work = tempfile.mkdtemp(prefix="utility-json-")
atexit.register(shutil.rmtree, work, ignore_errors=True)
# Nothing the commands write may land outside the temporary directory: the registry store,
# home and configuration all point into it.
os.makedirs(os.path.join(work, "registry"))
os.environ.update(UTILITY_REGISTRY_DIR=os.path.join(work, "registry"), HOME=work,
                  XDG_CONFIG_HOME=os.path.join(work, "config"))
open(os.path.join(work, "keys.ini"), "w").write("while\r\n")
os.makedirs(os.path.join(work, "tree", "sub"))
open(os.path.join(work, "tree", "sub", "a.txt"), "w").write("")

S, I, B, L, N, D = str, int, bool, list, (int, float), dict
LD = "list of objects"
# (arguments, exit status, {field: type})
cases = [
    (["module", "path"], 0, {"path": S}),
    (["module", "name"], 0, {"name": S}),
    (["module", "file-name", "C:\\dir\\name.txt"], 0, {"name": S}),
    (["module", "help-file"], 0, {"help": S}),
    (["encoding", "to-wide", "café"], 0, {"via": S, "units": L, "count": I}),
    (["encoding", "to-ansi", "中文", "--via", "UnicodeToAnsi"], 0, {"via": S, "bytes": L, "count": I, "result": S}),
    (["bits", "get", "char", "-128", "9"], 0, {"bit": I}),
    (["bits", "set", "float", "1.0", "31", "0"], 0, {"value": S, "bits": S}),
    (["bits", "get-variant", "BOOL", "-1", "20"], 0, {"bit": I}),
    (["bits", "set-variant", "R8", "1.5", "3", "1"], 0, {"value": N}),
    (["bits", "digit", "12345", "2"], 0, {"digit": I}),
    (["bits", "set-digit", "-123", "1", "5"], 0, {"result": I, "signed": I}),
    (["bits", "field", "0x1234", "4", "8"], 0, {"field": I, "hex": S}),
    (["bits", "byte", "010203", "2"], 0, {"byte": I}),
    (["names", "check", "my var"], 1, {"code": I, "meaning": S}),
    (["names", "path", "a/b"], 0, {"valid": B}),
    (["names", "keyword", "While", "--file", os.path.join(work, "keys.ini")], 0, {"keyword": B}),
    (["names", "replace", "A+B*A", "+-*/", "A", "X"], 0, {"text": S}),
    (["names", "numeric", "1.5"], 1, {"numeric": B}),
    (["names", "ip", "192.168.1.1"], 0, {"valid": B}),
    (["names", "same-ip", "10.1", "10.0.0.1"], 0, {"same": B}),
    (["files", "create", os.path.join(work, "made", "deep")], 0, {"result": I}),
    (["files", "create-parents", os.path.join(work, "p", "q", "f.log")], 0, {"result": I}),
    (["files", "list", "--recursive", "--filter", "*.txt", os.path.join(work, "tree")], 0,
     {"directories": L, "files": L}),
    (["files", "rename", os.path.join(work, "made"), os.path.join(work, "moved")], 0, {"result": I}),
    (["files", "remove", "--yes", os.path.join(work, "moved")], 0, {"result": I}),
    (["tracklog", "save", os.path.join(work, "app.log"), "line \"quoted\"\tand tab"], 0, {"log": S, "written": B}),
    (["system", "processors"], 0, {"processors": I}),
    (["system", "affinity", "1"], 0, {"previous": I}),
    (["system", "error-text", "5"], 0, {"text": S}),
    (["system", "guid"], 0, {"guid": S}),
    (["identity", "disk-id"], 0, {"id": I}),
    (["identity", "cpu-id"], 0, {"cpu": S}),
    (["identity", "computer-guid"], 0, {"guid": S}),
    (["identity", "guid-of", "0x12345678"], 0, {"guid": S}),
    (["reg", "set", "HKCU\\Software\\App", "Name", "sz:a \"quoted\" name"], 0, {"set": S}),
    (["reg", "set", "HKCU\\Software\\App\\Sub", "Count", "dword:42"], 0, {"set": S}),
    (["reg", "query", "HKCU\\Software\\App", "Name"], 0, {"value": D}),
    (["reg", "query", "HKCU\\Software\\App"], 0, {"values": LD}),
    (["reg", "keys", "HKCU\\Software\\App"], 0, {"keys": L}),
    (["reg", "readonly", "HKCU\\Software\\App"], 0, {"readonly": B}),
    (["reg", "export", "HKCU\\Software\\App"], 0, {"export": S}),
    (["reg", "check"], 0, {"result": S}),
    (["reg", "where"], 0, {"HKEY_CURRENT_USER": S, "HKEY_LOCAL_MACHINE": S}),
    (["reg", "delete", "HKCU\\Software\\App\\Sub", "Count"], 0, {"deleted": S}),
]

# The variant group's answers are checked as JSON objects, their fields by its own tests.
if subprocess.run([utility, "variant", "--help"], capture_output=True).returncode == 0:
    cases += [
        (["variant", "show", "I2", "-1", "--hex"], 0, {}),
        (["variant", "show", "R8", "3.14159", "--places", "2"], 0, {}),
        (["variant", "parse", "I2", " 2.5 "], 0, {}),
        (["variant", "number", "R8", "3.7", "--as", "I2"], 0, {}),
        (["variant", "store", "I2", "40000"], 0, {}),
        (["variant", "compare", "I2", "5", "R8", "5.0"], 0, {}),
        (["variant", "type", "I2", "--format", "13"], 0, {}),
    ]

failures = 0
for args, status, fields in cases:
    r = subprocess.run([utility] + args + ["--json"], cwd=work, capture_output=True, text=True)
    where = " ".join(args)
    try:
        if r.returncode != status:
            raise ValueError(f"exit status {r.returncode}, expected {status}: {r.stderr.strip()}")
        value = json.loads(r.stdout)
        if not isinstance(value, dict):
            raise ValueError("not a JSON object")
        if r.stdout.count("\n") != 1:
            raise ValueError("not on one line")
        for name, kind in fields.items():
            if name not in value:
                raise ValueError(f"no field {name}")
            if kind is LD:
                if not isinstance(value[name], list) or not all(isinstance(x, dict) for x in value[name]):
                    raise ValueError(f"field {name} is not a list of objects")
                continue
            if not isinstance(value[name], kind) or (kind is I and isinstance(value[name], bool)):
                raise ValueError(f"field {name} is {type(value[name]).__name__}")
            if kind is L and not all(isinstance(x, str) for x in value[name]):
                raise ValueError(f"field {name} holds something other than text")
    except ValueError as e:
        print(f"FAIL {where}: {e}\n  stdout: {r.stdout!r}", file=sys.stderr)
        failures += 1

# Spot checks that the values survived the trip through JSON.
def answer(*args):
    return json.loads(subprocess.run([utility, *args, "--json"], cwd=work, capture_output=True, text=True).stdout)

checks = [
    (answer("names", "replace", "a\"b", "\"", "b", "c\\d")["text"], "a\"c\\d"),
    (answer("encoding", "to-wide", "café")["units"], ["0063", "0061", "0066", "00E9"]),
    (answer("files", "list", os.path.join(work, "tree"))["directories"], [os.path.join(work, "tree", "sub")]),
    (answer("reg", "keys", "HKCU\\Software\\App")["keys"], ["Sub"]),
    # Registry data as JSON data: a string, a number, a list; never text to parse again.
    (answer("reg", "query", "HKCU\\Software\\App", "Name")["value"], {"name": "Name", "type": "sz", "data": "a \"quoted\" name"}),
    (answer("reg", "set", "HKCU\\Software\\App", "N", "dword:42") and
     answer("reg", "set", "HKCU\\Software\\App", "M", "multi_sz:\"x\",\"y\"") and
     [v["data"] for v in answer("reg", "query", "HKCU\\Software\\App")["values"] if v["name"] in ("N", "M")], [["x", "y"], 42]),  # sorted by name
    # Numbers JSON cannot write travel as strings.
    (answer("variant", "number", "R8", "1e999")["number"], "inf"),
    (answer("reg", "where")["HKEY_CURRENT_USER"], os.path.join(work, "registry", "current-user.db")),
]
for got, expected in checks:
    if got != expected:
        print(f"FAIL value {got!r}, expected {expected!r}", file=sys.stderr)
        failures += 1

print(f"{len(cases) + len(checks) - failures} of {len(cases) + len(checks)} JSON answers parsed back")
sys.exit(1 if failures else 0)

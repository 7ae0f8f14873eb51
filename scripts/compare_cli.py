#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""Runs the same vendrill-cli requests with two binaries and compares them byte
for byte: standard output, standard error, exit status and every file the run
leaves in its working folder (error.log, the --log file).

    scripts/compare_cli.py OLD_BINARY NEW_BINARY [--seed N] [--count N]

Each request runs in a fresh folder of its own for each binary; some folders
start with an error.log (with or without the banner) or with a folder where
the log should go, so that appending, restarting and the standard-error
fallback are compared too, and some write their results to /dev/full.  Exits 1 when any request differs.
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile

BANNER = b"Vendrill, 2001.05.14. 16:06"


def moment_lists():
    uniform = [repr(1.0 / (k + 1)) for k in range(12)]
    coin = ["1" if k % 2 == 0 else "0" for k in range(12)]
    normal = ["1", "0", "1", "0", "3", "0", "15", "0", "105", "0", "945"]
    exponential = ["1", "1", "2", "6", "24", "120", "720", "5040", "40320"]
    atoms = ["1", "-0.25", "1.25", "-1.75", "4.25", "-7.75", "13.25"]
    three = [repr(0.3 * 0.2**k + 0.4 * 0.5**k + 0.3 * 0.8**k) for k in range(11)]
    three[0] = "1"
    far = [repr(0.2 * 100.0**k + 0.5 * 101.0**k + 0.3 * 103.0**k) for k in range(9)]
    far[0] = "1"
    lists = {}
    for n in (3, 4, 5, 6, 7, 9, 11):
        lists[f"uniform{n}"] = uniform[:n]
        lists[f"coin{n}"] = coin[:n]
        lists[f"normal{n}"] = normal[:n]
        lists[f"three{n}"] = three[:n]
    for n in (5, 7, 9):
        lists[f"exponential{n}"] = exponential[:n]
        lists[f"far{n}"] = far[:n]
    lists["atoms5"] = atoms[:5]
    lists["atoms7"] = atoms
    lists["negvar"] = ["1", "2", "1"]
    lists["negvar5"] = ["1", "2", "1", "0", "3"]
    lists["badfirst"] = ["2", "0.5", "0.3", "0.2", "0.1", "0.1", "0.1"]
    lists["huge"] = ["1", "1e300", "1e300", "1e300", "1e300"]
    lists["tiny"] = ["1", "5e-324", "5e-324", "5e-324", "5e-324"]
    lists["zerovar"] = ["1", "0", "0", "0", "0"]
    lists["nearzero"] = ["1", "0.5", "0.25", "0.125", "0.0625", "0.03125", "0.015625"]
    return lists


POSITIONS = ["-3", "-1", "-0.5", "0", "1e-9", "0.1", "0.25", "0.35", "0.5", "0.8", "0.999999995",
             "1", "1.5", "2", "2.3", "10.000001", "100", "101.0000003", "1e300"]
LIMITS = [("0", "1"), ("-2", "1.5"), ("0", "2"), ("-8", "8"), ("1", "0"), ("0.5", "0.5"),
          ("99", "104"), ("-1e300", "1e300")]
FORMATS = ["text", "json", "csv"]
TYPES = ["0", "1", "2", "whole", "half", "bounded"]

INVALID = [
    ["--position", "1", "1", "2", "1"],
    ["--type", "7", "--position", "1", "1", "2", "1"],
    ["--type", "0", "1", "2", "1"],
    ["--type", "0", "--position", "abc", "1", "2", "1"],
    ["--type", "0", "--position", "1,5", "1", "2", "1"],
    ["--type", "0", "--position", "nan", "1", "0", "1"],
    ["--type", "0", "--position", "1", "--lower", "x", "1", "2", "1"],
    ["--type", "0", "--position", "1", "--upper", "1e999", "1", "2", "1"],
    ["--type", "0", "--position", "1", "--format", "xml", "1", "2", "1"],
    ["--type", "0", "--positions", "0:1:1", "1", "2", "1"],
    ["--type", "0", "--positions", "0:1", "1", "2", "1"],
    ["--type", "0", "--position", "1", "--", "1", "x", "1"],
    ["--type", "0", "--position", "1"],
    ["--type", "1", "--position", "1", "1", "2", "1"],
    ["--type", "2", "--position", "1", "1", "2", "1", "1"],
    ["--type", "0", "--position", "1", "0.5", "2", "1"],
    ["--type", "0", "--position", "1", "--moments-file", "missing.txt"],
    ["--type", "0", "--position", "1", "--bogus", "1", "2", "1"],
    ["--type", "0", "--position", "1", "--log", "a.log", "--no-log", "1", "2", "1"],
    ["--type", "0", "--position", "1", "--log", "", "1", "2", "1"],
    ["--type", "0", "--method", "fancy", "--position", "1", "1", "2", "1"],
    ["--type", "2", "--method", "sharp", "--lower", "1", "--upper", "1", "--position", "1",
     "1", "1", "1", "1", "1"],
    ["--type", "0", "--method", "sharp", "--position", "1", "0.5", "0", "1"],
    ["--help"],
    [],
]


def requests(seed, count):
    rng = random.Random(seed)
    lists = moment_lists()
    names = sorted(lists)
    out = []
    for args in INVALID:
        # Every request names its method (the default changed from classic to
        # sharp), so that both binaries run the same one.
        if args and "--method" not in args and "--help" not in args:
            args = ["--method", "classic"] + args
        out.append(("invalid", args, "", None))
    while len(out) < count:
        t = rng.choice(TYPES)
        method = rng.choice(["classic", "classic", "classic", "sharp"])
        fmt = rng.choice(FORMATS)
        lower, upper = rng.choice(LIMITS)
        moments = lists[rng.choice(names)]
        args = ["--type", t, "--format", fmt]
        args += ["--method", method]
        if rng.random() < 0.8:
            args += ["--lower", lower, "--upper", upper]
        kind = rng.random()
        if kind < 0.55:
            args += ["--position", rng.choice(POSITIONS)]
        elif kind < 0.8:
            for _ in range(rng.randint(2, 4)):
                args += ["--position", rng.choice(POSITIONS)]
        else:
            a, b = sorted(rng.sample(POSITIONS[:14], 2), key=float)
            args += ["--positions", f"{a}:{b}:{rng.randint(2, 7)}"]
        setup = rng.choice([None, None, None, "banner", "foreign", "folder", "logopt", "nolog",
                            "logfolder", "fulloutput"])
        if setup == "logopt":
            args = ["--log", "logs/run.log"] + args
        elif setup == "nolog":
            args = ["--no-log"] + args
        elif setup == "logfolder":
            args = ["--log", "missing/run.log"] + args
        stdin = ""
        if rng.random() < 0.15:
            args += ["--moments-file", "-"]
            stdin = " ".join(moments) + "\n"
        else:
            args += ["--"] + moments
        out.append((f"{method}-{t}-{fmt}", args, stdin, setup))
    return out


def prepare(folder, setup):
    os.makedirs(os.path.join(folder, "logs"))
    if setup == "banner":
        with open(os.path.join(folder, "error.log"), "wb") as f:
            f.write(BANNER + b"\nan older report\n")
    elif setup == "foreign":
        with open(os.path.join(folder, "error.log"), "wb") as f:
            f.write(b"not a log of ours\n")
    elif setup == "folder":
        os.makedirs(os.path.join(folder, "error.log"))


def snapshot(folder):
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder)] = f.read()
    return files


def run(binary, args, stdin, setup):
    folder = tempfile.mkdtemp(prefix="vendrill-compare-")
    try:
        prepare(folder, setup)
        if setup == "fulloutput":
            # A full disk under standard output: the write fails at the end.
            with open("/dev/full", "wb") as full:
                p = subprocess.run([binary] + args, input=stdin.encode(), cwd=folder,
                                   stdout=full, stderr=subprocess.PIPE, timeout=600)
            return p.returncode, b"", p.stderr, snapshot(folder)
        p = subprocess.run([binary] + args, input=stdin.encode(), cwd=folder,
                           capture_output=True, timeout=600)
        return p.returncode, p.stdout, p.stderr, snapshot(folder)
    finally:
        shutil.rmtree(folder)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--seed", type=int, default=8)
    parser.add_argument("--count", type=int, default=400)
    options = parser.parse_args()
    old = os.path.abspath(options.old)
    new = os.path.abspath(options.new)
    differing = 0
    tally = {"requests": 0, "exit 0": 0, "exit 1": 0, "exit 2": 0, "with log reports": 0,
             "log on stderr": 0, "log bytes": 0}
    for label, args, stdin, setup in requests(options.seed, options.count):
        a = run(old, args, stdin, setup)
        b = run(new, args, stdin, setup)
        tally["requests"] += 1
        tally[f"exit {a[0]}"] = tally.get(f"exit {a[0]}", 0) + 1
        logs = [v for k, v in a[3].items() if k.endswith(".log")]
        if any(b"HIBA" in v for v in logs):
            tally["with log reports"] += 1
            tally["log bytes"] += sum(len(v) for v in logs)
        if b"HIBA" in a[2]:
            tally["log on stderr"] += 1
        if a != b:
            differing += 1
            parts = [n for n, x, y in zip(["status", "stdout", "stderr", "files"], a, b) if x != y]
            print(f"DIFFERENT ({', '.join(parts)}): {label}: {' '.join(args)}")
    for key, value in tally.items():
        print(f"{key}: {value}")
    print(f"differing: {differing}")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())

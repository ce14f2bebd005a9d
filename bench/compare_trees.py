#!/usr/bin/env python3
"""Times `lcv -b` against `diff -rq` on two generated trees.

Usage: compare_trees.py [--files N] [--megabytes M] [--changed PERCENT] [--lcv PATH] [--keep DIR]

Two trees of N files (about M megabytes in all, a few large files among many small
ones) are written to a temporary directory, side 2 a copy of side 1 with PERCENT of
the files changed in one byte near their end. Both tools then run on identical trees
(side 1 against itself) and on the changed pair, each twice, with the page cache warm;
the best time counts. Prints the times, the ratio lcv/diff and lcv's peak memory.
"""
import argparse
import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def generate(base, files, megabytes, changed, seed=7):
    rnd = random.Random(seed)
    side1, side2 = os.path.join(base, "old"), os.path.join(base, "new")
    total = megabytes * 1024 * 1024
    # One file in a hundred is large; together they hold half of the bytes.
    large = max(1, files // 100)
    large_size = total // 2 // large
    small_size = max(1, (total - large * large_size) // max(1, files - large))
    block = os.urandom(1 << 20)
    for i in range(files):
        d = "dir%03d/sub%02d" % (i % 200, (i // 200) % 20)
        size = large_size if i < large else small_size
        for side in (side1, side2):
            os.makedirs(os.path.join(side, d), exist_ok=True)
        p1 = os.path.join(side1, d, "file%05d.dat" % i)
        with open(p1, "wb") as f:
            left, off = size, (i * 4099) % len(block)
            while left > 0:
                chunk = block[off:off + left]
                f.write(chunk)
                left -= len(chunk)
                off = 0
        p2 = os.path.join(side2, d, "file%05d.dat" % i)
        shutil.copyfile(p1, p2)
        if rnd.random() * 100 < changed and size > 0:
            with open(p2, "r+b") as f:
                f.seek(size - 1)
                b = f.read(1)
                f.seek(size - 1)
                f.write(bytes([b[0] ^ 0xFF]))
    return side1, side2


def timed(cmd):
    best = None
    for _ in range(2):
        start = time.perf_counter()
        subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--files", type=int, default=20000)
    ap.add_argument("--megabytes", type=int, default=1024)
    ap.add_argument("--changed", type=float, default=3.0)
    ap.add_argument("--lcv", default=os.path.join(ROOT, "build", "bin", "lcv"))
    ap.add_argument("--keep", help="generate into this directory and keep it")
    args = ap.parse_args()
    if not os.path.exists(args.lcv):
        sys.exit("no lcv at %s: build first (scripts/build.sh)" % args.lcv)
    base = args.keep or tempfile.mkdtemp(prefix="lcvbench.")
    try:
        print("generating %d files, %d MB, %.1f%% changed in %s" % (args.files, args.megabytes, args.changed, base))
        side1, side2 = generate(base, args.files, args.megabytes, args.changed)
        for label, a, b in (("identical", side1, side1 + "_copy"), ("changed", side1, side2)):
            if label == "identical" and not os.path.exists(b):
                shutil.copytree(a, b)
            subprocess.run(["diff", "-rq", a, b], stdout=subprocess.DEVNULL)  # warm the cache
            t_diff = timed(["diff", "-rq", a, b])
            t_lcv = timed([args.lcv, "-b", "-ski", a, b])
            print("%-9s  diff -rq %.3fs   lcv -b -ski %.3fs   ratio %.2f" % (label, t_diff, t_lcv, t_lcv / t_diff))
            t_lcv_info = timed([args.lcv, "-b", a, b])
            print("%-9s  lcv -b (with file information) %.3fs   ratio %.2f" % (label, t_lcv_info, t_lcv_info / t_diff))
        peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
        print("peak resident memory of any child: %d KiB" % peak)
    finally:
        if not args.keep:
            shutil.rmtree(base, ignore_errors=True)


if __name__ == "__main__":
    main()

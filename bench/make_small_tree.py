#!/usr/bin/env python3
"""Builds the tree on which bench/seam.sh times lookfor's threads: many small
files, as a source checkout or a mail folder holds them, in Shift_JIS,
UTF-8 and UTF-16LE, two folders deep, from a fixed seed.

usage: make_small_tree.py [FOLDER] [FILES]
  FOLDER  where the tree is made (default /tmp/tessumi-small)
  FILES   how many files (default 20000)

The tree is made again only when the stamp file in FOLDER holds other
parameters.
"""
import json
import os
import random
import shutil
import sys

WORDS = ["alpha", "beta", "gamma", "needle", "memcpy", "図書館", "ファイル", "検索", "x = 1;", "}"]
STAMP = ".tree-stamp"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "/tmp/tessumi-small"
    params = {"version": 1, "seed": 2026, "files": int(sys.argv[2]) if len(sys.argv) > 2 else 20000}
    stamp = os.path.join(folder, STAMP)
    if os.path.exists(stamp) and open(stamp).read() == json.dumps(params):
        return
    shutil.rmtree(folder, ignore_errors=True)
    rng = random.Random(params["seed"])
    for i in range(params["files"]):
        sub = os.path.join(folder, "d%02d" % (i % 40), "e%02d" % (i // 40 % 10))
        os.makedirs(sub, exist_ok=True)
        lines = [" ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 12)))
                 for _ in range(rng.randint(5, 60))]
        text = "\r\n".join(lines) + "\r\n"
        kind = i % 3
        data = (text.encode("cp932") if kind == 0 else b"\xef\xbb\xbf" + text.encode("utf-8")
                if kind == 1 else b"\xff\xfe" + text.encode("utf-16-le"))
        with open(os.path.join(sub, "f%05d.txt" % i), "wb") as f:
            f.write(data)
    with open(stamp, "w") as f:
        f.write(json.dumps(params))


if __name__ == "__main__":
    main()

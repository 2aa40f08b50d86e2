#!/usr/bin/env python3
"""Builds the tree on which bench/run.sh times lookfor against ripgrep: the
machine's C headers (every regular file below /usr/include, symbolic links
left out) beside generated Japanese manual pages in Shift_JIS and UTF-16LE
(with byte-order mark), CR LF line ends, from the benchmark corpus's fixed,
seeded Japanese sentences.

usage: make_headers_tree.py [FOLDER] [HEADERS]
  FOLDER   where the tree is made (default /tmp/tessumi-headers)
  HEADERS  the header folder copied (default /usr/include)

The tree is rebuilt only when the stamp file in FOLDER does not hold the
same parameters. The headers differ from machine to machine: the figures
of two machines compare only with the same header folder.
"""
import json
import os
import random
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_corpus  # noqa: E402  the corpus's Japanese sentences and its stamp

PARAMS = {
    "version": 1,
    "seed": 20241209,
    "sjis_pages": 160,      # Shift_JIS manual pages
    "utf16_pages": 60,      # UTF-16LE manual pages
    "page_mean_kb": 96,
}
STAMP = ".tree-stamp"


def copy_headers(source, target):
    count = total = 0
    for folder, dirs, files in os.walk(source):
        dirs[:] = sorted(d for d in dirs if not os.path.islink(os.path.join(folder, d)))
        out = os.path.join(target, os.path.relpath(folder, source))
        os.makedirs(out, exist_ok=True)
        for name in sorted(files):
            path = os.path.join(folder, name)
            if os.path.islink(path) or not os.path.isfile(path):
                continue
            shutil.copyfile(path, os.path.join(out, name))
            count += 1
            total += os.path.getsize(path)
    return count, total


def manual_page(rng, lines, size):
    title = rng.choice(lines)
    body = []
    length = 0
    while length < size:
        line = rng.choice(lines)
        body.append(line)
        length += len(line) * 2
    return [title, ""] + body


def make_pages(rng, target):
    jp = [make_corpus.japanese_line(rng) for _ in range(20000)]
    mean = PARAMS["page_mean_kb"] * 1024
    count = total = 0
    for kind, pages in (("sjis", PARAMS["sjis_pages"]), ("utf16", PARAMS["utf16_pages"])):
        folder = os.path.join(target, "man-ja", kind)
        os.makedirs(folder, exist_ok=True)
        for i in range(pages):
            size = int(min(4 * mean, max(2048, rng.expovariate(1.0 / mean))))
            text = "\r\n".join(manual_page(rng, jp, size)) + "\r\n"
            data = (text.encode("cp932") if kind == "sjis"
                    else b"\xff\xfe" + text.encode("utf-16-le"))
            with open(os.path.join(folder, f"page{i:03d}.txt"), "wb") as f:
                f.write(data)
            count += 1
            total += len(data)
    return count, total


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "/tmp/tessumi-headers"
    headers = sys.argv[2] if len(sys.argv) > 2 else "/usr/include"
    want = json.dumps(dict(PARAMS, headers=os.path.abspath(headers)), sort_keys=True)
    if make_corpus.is_current(root, STAMP, want):
        print(f"tree: {root} is up to date")
        return 0
    began = time.time()
    hc, hb = copy_headers(headers, os.path.join(root, "include"))
    pc, pb = make_pages(random.Random(PARAMS["seed"]), root)
    make_corpus.write_stamp(root, STAMP, want)
    print(f"tree: {hc} headers ({hb / 1e6:.1f} MB) and {pc} manual pages "
          f"({pb / 1e6:.1f} MB) in {root} ({time.time() - began:.1f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())

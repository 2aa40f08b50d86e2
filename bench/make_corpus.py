#!/usr/bin/env python3
"""Builds the benchmark tree: a fixed, seeded mix of source-like ASCII text,
Shift_JIS Japanese prose and UTF-16LE files with a byte-order mark, over
nested folders, with a few large files and some very long lines, and a
subtree of UTF-8 Japanese notes and documents, with and without a mark.

usage: make_corpus.py [FOLDER]   (default /tmp/tessumi-corpus)

The tree is rebuilt only when the stamp file in FOLDER does not hold the
same parameters. Every file is non-empty. The words below are chosen so
that the benchmark's "never" literal cannot occur anywhere.
"""
import json
import os
import random
import shutil
import sys
import time

PARAMS = {
    "version": 4,
    "seed": 20240611,
    "top": 10,            # folders at the first level
    "mid": 10,            # folders in each of them
    "leaf": 6,            # folders in each of those
    "files_per_leaf": 14,
    "files_per_mid": 2,
    "small_mean_kb": 13,
    "big_files_mb": [24, 21, 22],   # ASCII source, Shift_JIS prose, UTF-16LE log
    "long_line_files": 24,
    "long_line_chars": 120000,
    "utf8_folders": 12,   # folders of the UTF-8 subtree
    "utf8_files": 16,     # files in each of them
    "utf8_big_mb": 12,    # one large UTF-8 document
}
STAMP = ".corpus-stamp"

# The literals the benchmark searches for; see bench/run.sh.
LITERAL_FOUND = "memcpy"
LITERAL_NEVER = "qzxvjwk"
KANJI_LITERAL = "図書館"

WORDS = ("alpha beta gamma delta count value index buffer length offset table entry node "
         "list item state flags mode size data name path file line text word char byte "
         "total result error status handle stream block chunk frame queue stack heap page "
         "range limit start end first last next prev left right top bottom width height "
         "color font style window view menu dialog button label field record column row "
         "key hash seed sum min max avg scale ratio step pass fail open close read write "
         "the of and to in is that for it as with was on be at by this had not are but from "
         "or have an they which one you were her all she there would their we him been has "
         "when who will more no if out so said what up its about into than them can only "
         "other new some could time these two may then do first any my now such like our "
         "over man me even most made after also did many before must through back years "
         "where much your way well down should because each just those people how too little "
         "state good very make world still own see men work long get here between both life").split()
RARE_WORDS = ["foo", "bar", "baz"]
TYPES = ["int", "long", "char*", "size_t", "unsigned", "double", "BOOL", "DWORD", "void*"]
MACROS = ["MAX_PATH", "FOO_BAR", "CHECK_BOUNDS", "LOG_ERROR", "ASSERT_TRUE", "TRACE_CALL",
          "DEBUG_PRINT", "SAFE_RELEASE", "ARRAY_SIZE", "HR_FAILED", "WM_USER", "MAKE_WORD"]

KANJI_NOUNS = ("検索 結果 文字 列 東京 大阪 京都 天気 予報 会議 資料 報告 書類 表示 機能 能力 "
               "時間 場所 関係 問題 研究 開発 計画 経済 社会 政治 文化 歴史 地図 電車 駅前 "
               "学校 先生 学生 友達 家族 言葉 意味 理由 方法 結論 仕事 会社 部長 課長 社長 "
               "新聞 雑誌 映画 音楽 写真 料理 野菜 果物 季節 春夏 秋冬 山川 海岸 森林 空港 "
               "病院 医者 薬局 銀行 郵便 商店 市場 価格 品質 製品 工場 技術 設計 試験 評価").split()
KATAKANA = ["データ", "ファイル", "ソフト", "システム", "サーバー", "テスト", "コード", "メモリ",
            "ネットワーク", "プログラム", "ウィンドウ", "ボタン", "メニュー", "フォルダ"]
PARTICLES = ["は", "が", "を", "に", "で", "と", "の", "から", "まで", "より", "も"]
VERBS = ["します", "しました", "である", "でした", "あります", "ありません", "なります",
         "考えます", "調べました", "見つかりました", "表示されます", "使われています"]
CONNECT = ["そして、", "しかし、", "また、", "つまり、", "ところで、", "さらに、", ""]


def ascii_source_line(rng):
    r = rng.random()
    w = lambda: rng.choice(WORDS)
    if r < 0.04:
        pad = rng.choice(["", "", "", "  ", "\t"])
        gap = rng.choice(["", "", " ", "  "])
        return f"{pad}#{gap}define {rng.choice(MACROS)}_{w().upper()} {rng.randrange(100000)}"
    if r < 0.055:
        return f"#define {w()}_{w()}({w()}) (({w()}) + 1)"
    if r < 0.10:
        return f"    {rng.choice(MACROS)}({w()}, {w()}_{w()});"
    if r < 0.11:
        return f"    {LITERAL_FOUND}({w()}, {w()}, sizeof({w()}));"
    if r < 0.12:
        return f"    /* {rng.choice(RARE_WORDS)}: {w()} {w()} {w()} */"
    if r < 0.16:
        return ""
    if r < 0.22:
        return f"{rng.choice(TYPES)} {w()}_{w()}({rng.choice(TYPES)} {w()}, {rng.choice(TYPES)} {w()})"
    if r < 0.28:
        return rng.choice(["{", "}", "    }", "    {", "    return 0;", "    break;", "#include <windows.h>"])
    if r < 0.40:
        return f"    // {' '.join(w() for _ in range(rng.randrange(3, 12)))}"
    if r < 0.55:
        return f"    if ({w()}_{w()} > {rng.randrange(1000)}) {w()} = {w()}[{w()}];"
    if r < 0.70:
        return f"    for ({rng.choice(TYPES)} {w()} = 0; {w()} < {w()}; ++{w()}) {w()} += {rng.randrange(64)};"
    return f"    {rng.choice(TYPES)} {w()}_{w()} = {w()}({w()}, {rng.randrange(4096)});"


def ascii_prose_line(rng):
    n = rng.randrange(6, 18)
    words = [rng.choice(WORDS) for _ in range(n)]
    if rng.random() < 0.03:
        words[rng.randrange(n)] = rng.choice(RARE_WORDS)
    if rng.random() < 0.01:
        words[rng.randrange(n)] = LITERAL_FOUND
    line = " ".join(words)
    return line[0].upper() + line[1:] + "."


def japanese_line(rng):
    parts = []
    for _ in range(rng.randrange(1, 4)):
        s = rng.choice(CONNECT)
        for _ in range(rng.randrange(2, 5)):
            r = rng.random()
            if r < 0.015:
                noun = KANJI_LITERAL
            elif r < 0.25:
                noun = rng.choice(KATAKANA)
            elif r < 0.30:
                noun = str(rng.randrange(1, 2025))
            else:
                noun = rng.choice(KANJI_NOUNS) + rng.choice(["", "", rng.choice(KANJI_NOUNS)])
            s += noun + rng.choice(PARTICLES)
        s += rng.choice(VERBS) + "。"
        parts.append(s)
    return "".join(parts)


def pool(rng, make, count):
    return [make(rng) for _ in range(count)]


class Pools:
    def __init__(self, rng):
        src = pool(rng, ascii_source_line, 30000)
        prose = pool(rng, ascii_prose_line, 20000)
        jp = pool(rng, japanese_line, 20000)
        self.src = [s.encode("ascii") for s in src]
        self.prose = [s.encode("ascii") for s in prose]
        self.sjis = [s.encode("cp932") for s in jp]
        mixed = src[:10000] + jp[:10000]
        self.utf16 = [s.encode("utf-16-le") for s in mixed]


def assemble(rng, lines, target_bytes, eol):
    # Average line length from the pool's head is good enough for sizing.
    avg = max(8, sum(len(x) for x in lines[:200]) // 200 + len(eol))
    k = max(1, target_bytes // avg)
    return eol.join(rng.choices(lines, k=k)) + eol


# (extension, kind, weight)
KINDS = [(".c", "src", 24), (".h", "src", 10), (".cpp", "src", 8), (".txt", "prose", 8),
         (".txt", "sjis", 14), (".md", "sjis", 8), (".log", "utf16", 8), (".txt", "utf16", 4),
         (".csv", "prose", 4), (".ini", "src", 4)]


def file_bytes(rng, pools, kind, size):
    eol_ascii = rng.choice([b"\r\n", b"\n"])
    if kind == "src":
        return assemble(rng, pools.src, size, eol_ascii)
    if kind == "prose":
        return assemble(rng, pools.prose, size, eol_ascii)
    if kind == "sjis":
        return assemble(rng, pools.sjis, size, b"\r\n")
    return b"\xff\xfe" + assemble(rng, pools.utf16, size, "\r\n".encode("utf-16-le"))


def utf8_pool(rng):
    # Notes as people write them: Japanese prose, Markdown headings and
    # lists, and now and then a line of code.
    lines = []
    for _ in range(20000):
        r = rng.random()
        if r < 0.08:
            lines.append("## " + rng.choice(KANJI_NOUNS) + rng.choice(["について", "の手順", "", "メモ"]))
        elif r < 0.25:
            lines.append("- " + japanese_line(rng))
        elif r < 0.35:
            lines.append("    " + ascii_source_line(rng).strip())
        else:
            lines.append(japanese_line(rng))
    return [s.encode("utf-8") for s in lines]


def utf8_file(rng, lines, size, mark=None):
    # Notepad saves UTF-8 with CR LF, and with a mark before Windows 10
    # version 1903; other editors save it with LF and no mark.
    if mark is None:
        mark = rng.random() < 0.4
    eol = b"\r\n" if mark or rng.random() < 0.5 else b"\n"
    return (b"\xef\xbb\xbf" if mark else b"") + assemble(rng, lines, size, eol)


def long_line_file(rng, index, chars):
    # One minified-looking line of comma-separated words between short lines.
    cells = []
    total = 0
    while total < chars:
        c = rng.choice(WORDS) + str(rng.randrange(1000))
        cells.append(c)
        total += len(c) + 1
    if index % 3 == 0:
        cells[len(cells) // 2] = rng.choice(RARE_WORDS)
    body = ",".join(cells)
    head = f"// generated table {index}\n#define TABLE_SIZE {len(cells)}\n"
    return (head + body + "\n" + "}\n").encode("ascii")


def generate(root):
    rng = random.Random(PARAMS["seed"])
    pools = Pools(rng)
    exts = [k for k in KINDS for _ in range(k[2])]
    count = 0
    total = 0

    def put(path, data):
        nonlocal count, total
        with open(path, "wb") as f:
            f.write(data)
        count += 1
        total += len(data)

    mean = PARAMS["small_mean_kb"] * 1024
    serial = 0
    for t in range(PARAMS["top"]):
        top = os.path.join(root, f"module{t:02d}")
        for m in range(PARAMS["mid"]):
            mid = os.path.join(top, f"part{m:02d}")
            folders = [mid] + [os.path.join(mid, f"unit{u}") for u in range(PARAMS["leaf"])]
            for folder in folders:
                os.makedirs(folder, exist_ok=True)
                n = PARAMS["files_per_mid"] if folder == mid else PARAMS["files_per_leaf"]
                for _ in range(n):
                    ext, kind, _w = rng.choice(exts)
                    size = int(min(8 * mean, max(600, rng.expovariate(1.0 / mean))))
                    put(os.path.join(folder, f"{kind}_{serial:05d}{ext}"),
                        file_bytes(rng, pools, kind, size))
                    serial += 1

    big = os.path.join(root, "big")
    os.makedirs(big, exist_ok=True)
    mb = PARAMS["big_files_mb"]
    put(os.path.join(big, "huge_source.c"), assemble(rng, pools.src, mb[0] << 20, b"\n"))
    put(os.path.join(big, "huge_prose_sjis.txt"), assemble(rng, pools.sjis, mb[1] << 20, b"\r\n"))
    put(os.path.join(big, "huge_log_utf16.log"),
        b"\xff\xfe" + assemble(rng, pools.utf16, mb[2] << 20, "\r\n".encode("utf-16-le")))

    tables = os.path.join(root, "tables")
    os.makedirs(tables, exist_ok=True)
    for i in range(PARAMS["long_line_files"]):
        put(os.path.join(tables, f"table_{i:02d}.c"),
            long_line_file(rng, i, PARAMS["long_line_chars"]))

    # A random stream of its own, so that the files above stay as they were.
    urng = random.Random(PARAMS["seed"] + 1)
    notes = utf8_pool(urng)
    docs = os.path.join(root, "docs_utf8")
    for f in range(PARAMS["utf8_folders"]):
        folder = os.path.join(docs, f"notes{f:02d}")
        os.makedirs(folder, exist_ok=True)
        for i in range(PARAMS["utf8_files"]):
            ext = urng.choice([".md", ".md", ".txt", ".txt", ".csv"])
            size = int(min(8 * mean, max(600, urng.expovariate(1.0 / mean))))
            put(os.path.join(folder, f"note_{i:03d}{ext}"), utf8_file(urng, notes, size))
    put(os.path.join(docs, "manual_utf8.md"),
        utf8_file(urng, notes, PARAMS["utf8_big_mb"] << 20, mark=False))
    return count, total


def is_current(root, stamp_name, want):
    """True when the stamp file in root holds `want`, the parameters the
    tree was made with; otherwise root is made afresh, empty, to be filled
    and then stamped with write_stamp."""
    try:
        with open(os.path.join(root, stamp_name), encoding="utf-8") as f:
            if f.read() == want:
                return True
    except OSError:
        pass
    if os.path.exists(root):
        shutil.rmtree(root)
    os.makedirs(root)
    return False


def write_stamp(root, stamp_name, want):
    with open(os.path.join(root, stamp_name), "w", encoding="utf-8") as f:
        f.write(want)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "/tmp/tessumi-corpus"
    want = json.dumps(PARAMS, sort_keys=True)
    if is_current(root, STAMP, want):
        print(f"corpus: {root} is up to date")
        return 0
    began = time.time()
    count, total = generate(root)
    write_stamp(root, STAMP, want)
    print(f"corpus: {count} files, {total / 1e6:.1f} MB in {root} "
          f"({time.time() - began:.1f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())

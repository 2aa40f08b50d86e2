#!/usr/bin/env python3
"""Writes searchlib/pattern/folding_tables.cpp, the folding tables of the
search options, and searchlib/pattern/unit_class_tables.cpp, the character
classes of the patterns, from the Unicode Character Database of this Python
(unicodedata.unidata_version), for the Basic Multilingual Plane.

- case: simple case folding (CaseFolding.txt status C and S). A unit whose
  full folding is one character folds to it; one whose full folding is
  longer folds to its lowercase when that is one character (the S entries,
  e.g. U+1E9E to U+00DF), else not at all.
- width: every unit whose decomposition is <wide> or <narrow> folds to that
  one character, except the half-width voiced sound marks U+FF9E and U+FF9F,
  which fold to the spacing marks U+309B and U+309C (the combining marks
  are what a following kana composes with, below); and the look-alikes that
  Shift_JIS tables map differently (LOOK_ALIKES), each pair to one form.
- voiced: a half-width katakana followed by U+FF9E or U+FF9F folds, both
  units together, to the one precomposed katakana (NFC of its full-width
  form and U+3099 or U+309A), e.g. U+FF76 U+FF9E to U+30AC.
- kana: hiragana U+3041..U+3096, U+309D and U+309E fold to the katakana
  0x60 above.
- classes: the bits of each unit for \\d, \\w, \\s, \\b and [[:name:]]
  (class_bits below says exactly which units each holds). Words are closed
  under every folding: a unit and what it folds to are both word units or
  neither, so \\w, \\W, \\s, \\S and \\b mean the same before and after.

usage: tools/make_folding_tables.py   (from the top of the tree)
"""
import os
import unicodedata as ud

# Pairs that one user's text and another's show for the same character:
# Shift_JIS 0x8160, 0x817C, 0x8161 and 0x815C decode to the second form on
# Windows and to the first on a Mac or a web page. The first folds to the
# second, then on as the second folds (～ to ~, － to -).
LOOK_ALIKES = [(0x301C, 0xFF5E), (0x2212, 0xFF0D), (0x2225, 0x2016), (0x2015, 0x2014)]


def case_pairs():
    out = []
    for u in range(0x10000):
        if 0xD800 <= u <= 0xDFFF:
            continue
        c = chr(u)
        f = c.casefold()
        if len(f) != 1:
            low = c.lower()
            f = low if len(low) == 1 else c
        if f != c and ord(f) < 0x10000:
            out.append((u, ord(f)))
    table = dict(out)
    for a, b in out:  # the folding is idempotent
        assert table.get(b, b) == b, (hex(a), hex(b))
    return out


def width_pairs():
    out = []
    for u in range(0x10000):
        if 0xD800 <= u <= 0xDFFF:
            continue
        d = ud.decomposition(chr(u))
        if not (d.startswith('<wide>') or d.startswith('<narrow>')):
            continue
        parts = d.split()[1:]
        assert len(parts) == 1
        target = int(parts[0], 16)
        if u == 0xFF9E:
            target = 0x309B
        elif u == 0xFF9F:
            target = 0x309C
        out.append((u, target))
    table = dict(out)
    for a, b in LOOK_ALIKES:
        out.append((a, table.get(b, b)))
    return out


def voiced_triples(width):
    out = []
    for base, full in width:
        if not (0xFF61 <= base <= 0xFF9D):
            continue
        for mark, combining in ((0xFF9E, '\u3099'), (0xFF9F, '\u309A')):
            composed = ud.normalize('NFC', chr(full) + combining)
            if len(composed) == 1:
                out.append((base, mark, ord(composed)))
    return out


def kana_pairs():
    pairs = [(u, u + 0x60) for u in range(0x3041, 0x3097)]
    pairs += [(0x309D, 0x30FD), (0x309E, 0x30FE)]
    return pairs


# ECMAScript's WhiteSpace and LineTerminator: what \s holds.
SPACES = [0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x20, 0xA0, 0x1680] + list(range(0x2000, 0x200B)) + \
    [0x2028, 0x2029, 0x202F, 0x205F, 0x3000, 0xFEFF]

# The bits of unit_classes.h's UnitClassBit, in its order.
BITS = ['upper', 'lower', 'alpha', 'digit', 'xdigit', 'space', 'print', 'cntrl', 'punct', 'blank']


def category(u):
    return ud.category(chr(u))


def words(pair_lists):
    """Letters, marks, decimal digits and letter numbers, and _, with every
    unit that folds to or from one of them, transitively."""
    parent = list(range(0x10000))

    def find(u):
        while parent[u] != u:
            parent[u] = parent[parent[u]]
            u = parent[u]
        return u
    for pairs in pair_lists:
        for a, b in pairs:
            parent[find(a)] = find(b)
    seed = {find(u) for u in range(0x10000)
            if not 0xD800 <= u <= 0xDFFF and
            (category(u)[0] in 'LM' or category(u) in ('Nd', 'Nl') or u == 0x5F)}
    return {u for u in range(0x10000) if find(u) in seed}


def class_bits(word):
    """Each unit's classes:
    digit 0-9; xdigit 0-9 A-F a-f; space: SPACES; blank: TAB and Zs;
    cntrl: Cc; upper: Lu and Lt; lower: Ll; alpha: the word units but 0-9
    and _ (so \\w, alnum with _, is the word units); print: L M N P S and
    Zs; punct: print but alpha, digit and Zs."""
    bits = []
    for u in range(0x10000):
        c = category(u)
        graphic = c[0] in 'LMNPS' or u in word
        b = set()
        if 0x30 <= u <= 0x39:
            b.add('digit')
        if 0x30 <= u <= 0x39 or 0x41 <= u <= 0x46 or 0x61 <= u <= 0x66:
            b.add('xdigit')
        if u in SPACES:
            b.add('space')
        if u == 0x09 or c == 'Zs':
            b.add('blank')
        if c == 'Cc':
            b.add('cntrl')
        if c in ('Lu', 'Lt'):
            b.add('upper')
        if c == 'Ll':
            b.add('lower')
        if u in word and 'digit' not in b and u != 0x5F:
            b.add('alpha')
        if graphic or c == 'Zs':
            b.add('print')
        if graphic and 'alpha' not in b and 'digit' not in b:
            b.add('punct')
        bits.append(sum(1 << BITS.index(n) for n in b))
    return bits


def emit(out, name, pairs, comment):
    out.append(f'// {comment}')
    out.append(f'extern const FoldPair {name}[] = {{')
    line = '   '
    for a, b in pairs:
        item = f' {{0x{a:04X}, 0x{b:04X}}},'
        if len(line) + len(item) > 96:
            out.append(line)
            line = '   '
        line += item
    out.append(line)
    out.append('};')
    out.append(f'extern const size_t {name}Count = sizeof({name}) / sizeof({name}[0]);')
    out.append('')


def header(out, describes):
    out.append('// Generated by tools/make_folding_tables.py from the Unicode Character')
    out.append(f'// Database {ud.unidata_version}; {describes}.')


def write(path, lines):
    with open(path, 'w', encoding='utf-8', newline='\n') as f:
        f.write('\n'.join(lines) + '\n')


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'searchlib', 'pattern')
    case, width, kana = case_pairs(), width_pairs(), kana_pairs()
    voiced = voiced_triples(width)

    out = []
    header(out, 'docs/folding.md describes each table')
    out.append('#include "folding.h"')
    out.append('')
    emit(out, 'kCaseFolds', case, 'Simple case folding (C and S).')
    emit(out, 'kWidthFolds', width,
         'Full-width and half-width forms to their ordinary form, and look-alikes.')
    emit(out, 'kKanaFolds', kana, 'Hiragana to katakana.')
    out.append('// A half-width katakana and a half-width voiced sound mark, together.')
    out.append('extern const VoicedFold kVoicedFolds[] = {')
    for b, m, c in voiced:
        out.append(f'    {{0x{b:04X}, 0x{m:04X}, 0x{c:04X}}},')
    out.append('};')
    out.append('extern const size_t kVoicedFoldsCount = sizeof(kVoicedFolds) / sizeof(kVoicedFolds[0]);')
    write(os.path.join(here, 'folding_tables.cpp'), out)

    composed = [(b, c) for b, m, c in voiced] + [(m, c) for b, m, c in voiced]
    bits = class_bits(words([case, width, kana, composed]))
    out = []
    header(out, 'docs/folding.md says what each class holds')
    out.append('#include "unit_classes.h"')
    out.append('')
    out.append('// Runs of units with the same UnitClassBit bits, in order, covering every unit.')
    out.append('extern const UnitClassRun kUnitClassRuns[] = {')
    line = '   '
    start = 0
    for u in range(1, 0x10001):
        if u < 0x10000 and bits[u] == bits[start]:
            continue
        item = f' {{0x{start:04X}, 0x{bits[start]:03X}}},'
        if len(line) + len(item) > 96:
            out.append(line)
            line = '   '
        line += item
        start = u
    out.append(line)
    out.append('};')
    out.append('extern const size_t kUnitClassRunsCount = sizeof(kUnitClassRuns) / sizeof(kUnitClassRuns[0]);')
    write(os.path.join(here, 'unit_class_tables.cpp'), out)


main()

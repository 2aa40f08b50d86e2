#!/usr/bin/env python3
"""Writes the documents of the document benchmark into the folder given:
big.xlsx, about 20 MB and 200,000 cells (one sheet, 50,000 rows of four:
a long shared string, a number, a short shared string and an inline
string), and big.docx, about 10 MB of paragraphs with a table among them.
The text is pseudo-random kanji and kana, so that it deflates as little as
real Japanese prose does; the same seed gives the same files."""
import os
import random
import sys
import zipfile

MAIN_NS = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'
WORD_NS = 'http://schemas.openxmlformats.org/wordprocessingml/2006/main'
REL_NS = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
PKG_NS = 'http://schemas.openxmlformats.org/package/2006/relationships'
DECL = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
ROWS = 50000

rng = random.Random(32)
POOL = [chr(c) for c in range(0x4E00, 0x4E00 + 1500)] + [chr(c) for c in range(0x3041, 0x3094)] * 4


def text(n):
    return ''.join(rng.choices(POOL, k=n))


def rels(*items):
    body = ''.join('<Relationship Id="%s" Type="%s/%s" Target="%s"/>' % (i, REL_NS, t, target)
                   for i, t, target in items)
    return DECL + '<Relationships xmlns="%s">%s</Relationships>' % (PKG_NS, body)


def write(path, parts):
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED, compresslevel=6) as z:
        z.writestr('[Content_Types].xml', DECL + '<Types xmlns="http://schemas.openxmlformats.org/'
                   'package/2006/content-types"><Default Extension="xml" ContentType="application/xml"/></Types>')
        for name, body in parts:
            z.writestr(name, body.encode('utf-8'))


def workbook(path):
    strings, rows = [], []
    for r in range(1, ROWS + 1):
        strings.append(text(125))
        strings.append(text(30))
        rows.append('<row r="%d"><c r="A%d" t="s"><v>%d</v></c><c r="B%d"><v>%.6f</v></c>'
                    '<c r="C%d" t="s"><v>%d</v></c><c r="D%d" t="inlineStr"><is><t>%s</t></is></c></row>'
                    % (r, r, 2 * r - 2, r, rng.random() * 1e6, r, 2 * r - 1, r, text(60)))
    sst = ''.join('<si><t>%s</t></si>' % s for s in strings)
    write(path, [
        ('_rels/.rels', rels(('rId1', 'officeDocument', 'xl/workbook.xml'))),
        ('xl/workbook.xml', DECL + '<workbook xmlns="%s" xmlns:r="%s"><sheets><sheet name="Sheet1" '
         'sheetId="1" r:id="rId1"/></sheets></workbook>' % (MAIN_NS, REL_NS)),
        ('xl/_rels/workbook.xml.rels', rels(('rId1', 'worksheet', 'worksheets/sheet1.xml'),
                                            ('rId2', 'sharedStrings', 'sharedStrings.xml'))),
        ('xl/sharedStrings.xml', DECL + '<sst xmlns="%s" count="%d" uniqueCount="%d">%s</sst>'
         % (MAIN_NS, len(strings), len(strings), sst)),
        ('xl/worksheets/sheet1.xml', DECL + '<worksheet xmlns="%s"><sheetData>%s</sheetData></worksheet>'
         % (MAIN_NS, ''.join(rows))),
    ])


def document(path):
    def para(t):
        return '<w:p><w:pPr><w:spacing w:after="0"/></w:pPr><w:r><w:rPr><w:rFonts w:hint="eastAsia"/></w:rPr>' \
               '<w:t>%s</w:t></w:r><w:r><w:t xml:space="preserve">%s</w:t></w:r></w:p>' % (t[:40], t[40:])
    body = []
    for i in range(53000):
        body.append(para(text(100)))
        if i % 1000 == 999:
            cells = ''.join('<w:tc>%s</w:tc>' % para(text(20)) for _ in range(4))
            body.append('<w:tbl>%s</w:tbl>' % ('<w:tr>%s</w:tr>' % cells) * 5)
    write(path, [
        ('_rels/.rels', rels(('rId1', 'officeDocument', 'word/document.xml'))),
        ('word/document.xml', DECL + '<w:document xmlns:w="%s"><w:body>%s</w:body></w:document>'
         % (WORD_NS, ''.join(body))),
    ])


def main(folder):
    os.makedirs(folder, exist_ok=True)
    workbook(os.path.join(folder, 'big.xlsx'))
    document(os.path.join(folder, 'big.docx'))


if __name__ == '__main__':
    main(sys.argv[1])

"""The yardstick of the docx benchmark.

usage: docx_bench_pydocx.py make DOC   writes a 300-page document: 12,000
                                       paragraphs with a table of 3 x 4 cells
                                       after every 400th
       docx_bench_pydocx.py read DOC   reads back every paragraph and cell
                                       text and prints "paragraphs N"
"""
import sys

import docx

what, path = sys.argv[1], sys.argv[2]
if what == 'make':
    d = docx.Document()
    for i in range(12000):
        d.add_paragraph('Paragraph %d of the benchmark document, with a few more words after it.' % (i + 1))
        if i % 400 == 399:
            t = d.add_table(rows=3, cols=4)
            for r in range(3):
                for c in range(4):
                    t.cell(r, c).text = 'r%dc%d' % (r, c)
            d.add_page_break()
    d.save(path)
else:
    d = docx.Document(path)
    out = [p.text for p in d.paragraphs]
    for t in d.tables:
        for row in t.rows:
            for cell in row.cells:
                out.append(cell.text)
    sys.stdout.write('\n'.join(out))
    print('\nparagraphs %d' % len(d.paragraphs))

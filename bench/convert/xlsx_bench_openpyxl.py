"""The yardstick of the xlsx benchmark.

usage: xlsx_bench_openpyxl.py make BOOK   writes the 200,000-cell workbook
       xlsx_bench_openpyxl.py read BOOK   loads it read-only, formats every
                                          value and prints "cells N"
"""
import datetime
import sys

import openpyxl

what, book = sys.argv[1], sys.argv[2]
if what == 'make':
    wb = openpyxl.Workbook()
    ws = wb.active
    day = datetime.datetime(2024, 1, 1)
    for i in range(50000):
        ws.append([i * 1.25, 't%d' % i, day + datetime.timedelta(days=i % 3000), i / 1000])
    for row in ws.iter_rows():
        row[0].number_format = '#,##0.00'
        row[2].number_format = 'yyyy/m/d'
        row[3].number_format = '0.0%'
    wb.save(book)
else:
    wb = openpyxl.load_workbook(book, read_only=True)
    n = 0
    out = []
    for ws in wb.worksheets:
        for row in ws.iter_rows():
            for c in row:
                v = c.value
                if v is None:
                    continue
                f = c.number_format
                if isinstance(v, datetime.datetime):
                    t = '%d/%d/%d' % (v.year, v.month, v.day)
                elif isinstance(v, (int, float)) and f == '#,##0.00':
                    t = format(v, ',.2f')
                elif isinstance(v, (int, float)) and f == '0.0%':
                    t = format(v * 100, '.1f') + '%'
                else:
                    t = str(v)
                out.append(t)
                n += 1
    sys.stdout.write('\n'.join(out))
    print('\ncells %d' % n)

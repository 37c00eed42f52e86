# Prints the first sheet of a binary workbook as JSON rows of cell values.
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1])
sheet = book.sheet_by_index(0)
rows = [[sheet.cell_value(r, c) for c in range(sheet.ncols)] for r in range(sheet.nrows)]
sys.stdout.write(json.dumps(rows, ensure_ascii=True))

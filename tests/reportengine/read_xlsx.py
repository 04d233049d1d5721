"""Reads a workbook with openpyxl; prints JSON with each worksheet row's
texts (trailing empty cells dropped) and the font of the first cell."""
import json
import sys

import openpyxl

sheet = openpyxl.load_workbook(sys.argv[1]).active
rows = []
for row in sheet.iter_rows():
    cells = ["" if c.value is None else str(c.value) for c in row]
    while cells and cells[-1] == "":
        cells.pop()
    rows.append(cells)
first = sheet.cell(row=1, column=1).font
json.dump({"sheet": sheet.title, "rows": rows,
           "first": {"name": first.name, "size": first.sz, "bold": bool(first.b)}}, sys.stdout)

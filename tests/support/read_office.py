#!/usr/bin/env python3
"""Reads an exported workbook or document with independent readers and
prints what it holds as JSON, for the tests to compare.

  read_office.py xlsx FILE   {"cells": {"A1": {...}}}
  read_office.py docx FILE   {"paragraphs": [...], "tables": [...], "footer": "..."}
"""
import json
import sys


def read_xlsx(path):
    import openpyxl
    sheet = openpyxl.load_workbook(path).active
    cells = {}
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None and not cell.has_style:
                continue
            value = cell.value
            if cell.is_date and value is not None:
                value = value.isoformat()
            cells[cell.coordinate] = {
                "value": value,
                "type": cell.data_type,
                "date": bool(cell.is_date),
                "format": cell.number_format,
                "bold": bool(cell.font.b),
                "italic": bool(cell.font.i),
                "size": cell.font.sz,
                "font": cell.font.name,
            }
    return {"cells": cells}


def run_font(runs, attribute):
    values = {bool(getattr(r.font, attribute)) for r in runs if r.text}
    return values == {True}


def read_docx(path):
    import docx
    document = docx.Document(path)
    paragraphs = [{"text": p.text, "bold": run_font(p.runs, "bold"),
                   "underline": run_font(p.runs, "underline")}
                  for p in document.paragraphs]
    tables = []
    for table in document.tables:
        rows = []
        for row in table.rows:
            cells = []
            for cell in row.cells:
                runs = [r for p in cell.paragraphs for r in p.runs]
                sizes = {r.font.size.pt for r in runs if r.font.size is not None}
                names = {r.font.name for r in runs}
                cells.append({"text": cell.text,
                              "bold": run_font(runs, "bold"),
                              "italic": run_font(runs, "italic"),
                              "size": sizes.pop() if len(sizes) == 1 else None,
                              "font": names.pop() if len(names) == 1 else None})
            rows.append(cells)
        tables.append({"rows": rows, "style": table.style.name if table.style else None})
    footer = "\n".join(p.text for p in document.sections[0].footer.paragraphs)
    return {"paragraphs": paragraphs, "tables": tables, "footer": footer}


def main():
    kind, path = sys.argv[1], sys.argv[2]
    result = read_xlsx(path) if kind == "xlsx" else read_docx(path)
    json.dump(result, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()

"""Reads a console report with Python's csv module and prints its rows as JSON.

usage: read_report.py REPORT QUOTECHAR DELIMITER
The report is 8-bit text; it is read as Latin-1 so every byte survives.
"""
import csv
import json
import sys

path, quotechar, delimiter = sys.argv[1:4]
with open(path, newline="", encoding="latin-1") as f:
    rows = list(csv.reader(f, delimiter=delimiter, quotechar=quotechar, doublequote=True, strict=True))
json.dump(rows, sys.stdout, ensure_ascii=True)

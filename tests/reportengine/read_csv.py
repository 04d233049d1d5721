"""Reads a CSV file with Python's csv module; prints its rows as JSON."""
import csv
import json
import sys

with open(sys.argv[1], newline="", encoding="utf-8") as f:
    json.dump(list(csv.reader(f, delimiter=",")), sys.stdout)

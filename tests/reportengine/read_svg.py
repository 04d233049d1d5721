"""Reads the SVG that wmf2svg writes; prints JSON with the texts in
document order and the number of elements of each kind. wmf2svg copies
texts into the SVG without escaping them (a text "<b>" would become
markup), so texts are taken from between the text tags as written."""
import json
import re
import sys

with open(sys.argv[1], encoding="latin-1") as f:
    svg = f.read()
texts = re.findall(r"<text\b[^>]*>(.*?)</text>", svg, flags=re.S)
tags = {}
for tag in re.findall(r"<(\w+)[\s>]", svg):
    tags[tag] = tags.get(tag, 0) + 1
json.dump({"texts": texts, "tags": tags}, sys.stdout)

"""Reads an HTML file with Python's html.parser; prints JSON with the texts
in document order, the number of page boxes and of links, and the tags
left open or closed without being open."""
import json
import sys
from html.parser import HTMLParser

VOID = {"meta", "img", "br", "hr", "link", "input"}


class Reader(HTMLParser):
    def __init__(self):
        super().__init__()
        self.stack, self.texts, self.pages, self.links, self.bad = [], [], 0, 0, []
        self.in_span = False

    def handle_starttag(self, tag, attrs):
        if tag == "div" and ("class", "page") in attrs:
            self.pages += 1
        if tag == "a":
            self.links += 1
        self.in_span = tag == "span"
        if tag not in VOID:
            self.stack.append(tag)

    def handle_endtag(self, tag):
        self.in_span = False
        if not self.stack or self.stack.pop() != tag:
            self.bad.append(tag)

    def handle_data(self, data):
        if self.in_span:
            self.texts.append(data)


reader = Reader()
with open(sys.argv[1], encoding="utf-8") as f:
    reader.feed(f.read())
reader.close()
json.dump({"texts": reader.texts, "pages": reader.pages, "links": reader.links,
           "bad": reader.bad + reader.stack}, sys.stdout)

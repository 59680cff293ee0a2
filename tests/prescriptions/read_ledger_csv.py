#!/usr/bin/env python3
"""Reads a ledger CSV the way a spreadsheet import does (csv module, ';', UTF-8 with BOM) and
prints each row as its fields hex-encoded (UTF-8) behind an "x", so that an empty field is a word
too, separated by blanks, one row a line, so the C++ test compares exact values without a parser
of its own. Exits 1 when the file lacks the byte-order mark or has a line end other than CRLF
outside quotes."""
import csv
import sys

path = sys.argv[1]
with open(path, "rb") as f:
    raw = f.read()
if not raw.startswith(b"\xef\xbb\xbf"):
    sys.exit("no byte-order mark")
with open(path, encoding="utf-8-sig", newline="") as f:
    rows = list(csv.reader(f, delimiter=";", quotechar='"', doublequote=True, strict=True))
if raw.count(b"\r\n") < len(rows):
    sys.exit("rows not ended by CRLF")
for row in rows:
    print(" ".join("x" + field.encode("utf-8").hex() for field in row))

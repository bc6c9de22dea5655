#!/usr/bin/env python3
"""Prints the table of an exported .xlsx or .csv file as JSON, read with
Python's own zipfile, xml and csv modules, so the test reads the file as
another program would.

xlsx: {"sheets": [names], "rows": [[cell, ...]], "kinds": [["s"|"n", ...]]}
csv:  {"rows": [[cell, ...]], "bom": true|false, "crlf": true|false}
"""
import csv
import io
import json
import sys
import xml.etree.ElementTree as ET
import zipfile

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}


def column_index(ref):
    letters = "".join(c for c in ref if c.isalpha())
    index = 0
    for c in letters:
        index = index * 26 + (ord(c) - 64)
    return index - 1


def read_xlsx(path):
    with zipfile.ZipFile(path) as z:
        workbook = ET.fromstring(z.read("xl/workbook.xml"))
        sheets = [s.get("name") for s in workbook.findall("m:sheets/m:sheet", NS)]
        shared = []
        if "xl/sharedStrings.xml" in z.namelist():
            for si in ET.fromstring(z.read("xl/sharedStrings.xml")).findall("m:si", NS):
                shared.append("".join(t.text or "" for t in si.iter("{%s}t" % NS["m"])))
        sheet = ET.fromstring(z.read("xl/worksheets/sheet1.xml"))
    rows, kinds = [], []
    for row in sheet.findall("m:sheetData/m:row", NS):
        cells, cell_kinds = [], []
        for c in row.findall("m:c", NS):
            index = column_index(c.get("r"))
            while len(cells) < index:
                cells.append("")
                cell_kinds.append("")
            value = c.find("m:v", NS)
            text = value.text if value is not None else ""
            if c.get("t") == "s":
                cells.append(shared[int(text)])
                cell_kinds.append("s")
            else:
                cells.append(text)
                cell_kinds.append("n")
        rows.append(cells)
        kinds.append(cell_kinds)
    return {"sheets": sheets, "rows": rows, "kinds": kinds}


def read_csv(path):
    raw = open(path, "rb").read()
    bom = raw.startswith(b"\xef\xbb\xbf")
    text = raw.decode("utf-8-sig")
    rows = list(csv.reader(io.StringIO(text, newline="")))
    return {"rows": rows, "bom": bom, "crlf": raw.endswith(b"\r\n")}


if __name__ == "__main__":
    path = sys.argv[1]
    table = read_csv(path) if path.lower().endswith(".csv") else read_xlsx(path)
    print(json.dumps(table, ensure_ascii=False))

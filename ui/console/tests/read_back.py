#!/usr/bin/env python3
"""Reads vostrel-scan's JSON and CSV back with Python's own parsers and checks
that they hold exactly the texts its tab-separated lines tell.

    read_back.py FOLDER FILE EXPORT

FOLDER holds scan.tsv, scan.json, scan.csv (a scan's output in each format)
and offset.tsv, offset.json, offset.csv (--offset FILE EXPORT's). Says what
differs on standard error and exits 1; exits 0 when all agree.
"""
import csv
import io
import json
import os
import re
import sys

csv.field_size_limit(sys.maxsize)  # a damaged mission's text may run to megabytes

BOM = b"\xef\xbb\xbf"
TSV_ESCAPE = re.compile(rb"\\(?:x([0-9a-f]{2})|u([0-9a-f]{4})|([tnr\\]))")
TSV_CHARACTERS = {b"t": b"\t", b"n": b"\n", b"r": b"\r", b"\\": b"\\"}
# A CSV field that a spreadsheet would take for a formula has one apostrophe more.
CSV_FORMULA_GUARD = re.compile(r"^'(?='*[=+\-@\t\r])")


def unescape_tsv(field):
    def one(match):
        byte, character, letter = match.groups()
        if byte:
            return bytes([int(byte, 16)])
        if character:
            return chr(int(character, 16)).encode()
        return TSV_CHARACTERS[letter]

    return TSV_ESCAPE.sub(one, field)


def tsv_rows(raw):
    assert raw.endswith(b"\n"), "a TSV line is not ended"
    return [[unescape_tsv(field) for field in line.split(b"\t")] for line in raw[:-1].split(b"\n")]


def json_rows(raw, members):
    assert not raw.startswith(BOM), "JSON begins with a byte order mark"
    document = json.loads(raw.decode("utf-8"))  # strict: no control characters in strings
    assert isinstance(document, list), "the JSON document is not an array"
    rows = []
    for record in document:
        extra = set(record) - set(members) - {"fileBytes"}
        assert not extra, f"unknown members {extra}"
        name = record["file"].encode()
        if "fileBytes" in record:
            name = bytes.fromhex(record["fileBytes"])
            assert record["file"] == name.decode("utf-8", "replace"), f"{record['file']!r} is not {name!r} read"
        assert not isinstance(record.get("offset", 0), str), "the offset is not a number"
        rows.append([name] + [str(record[member]).encode() for member in members[1:]])
    return rows


def csv_rows(raw, captions):
    assert raw.startswith(BOM), "CSV does not begin with a byte order mark"
    text = raw[len(BOM):].decode("utf-8")
    rows = list(csv.reader(io.StringIO(text, newline=""), strict=True))
    # RFC 4180's form exactly: fields quoted only where needed, CR LF after every row.
    again = io.StringIO(newline="")
    csv.writer(again).writerows(rows)
    assert again.getvalue() == text, "the CSV is not as RFC 4180 writes those rows"
    assert rows[0] == captions, f"header {rows[0]}"
    return [[CSV_FORMULA_GUARD.sub("", field).encode() for field in row] for row in rows[1:]]


def as_read(name):
    """A file name as JSON's "file" and CSV give it: U+FFFD for bytes that are not UTF-8."""
    return name.decode("utf-8", "replace").encode()


def compare(what, found, expected):
    if found == expected:
        return True
    if len(found) != len(expected):
        print(f"{what}: {len(found)} rows, not {len(expected)}", file=sys.stderr)
        return False
    row = next(i for i in range(len(found)) if found[i] != expected[i])
    short = lambda fields: [field[:80] + (b"..." if len(field) > 80 else b"") for field in fields]  # noqa: E731
    print(f"{what}, row {row}:\n  found    {short(found[row])}\n  expected {short(expected[row])}", file=sys.stderr)
    return False


def main(folder, file_name, export):
    def read(name):
        with open(os.path.join(folder, name), "rb") as file:
            return file.read()

    lines = tsv_rows(read("scan.tsv"))
    assert lines and all(len(line) == 4 for line in lines), "the scan's lines are not rows of four fields"
    scan_members = ["file", "mapName", "techtreeName", "levelDesc"]
    scan_captions = ["DLL Name", "Map Name", "Techtree Name", "Level Description"]
    read_names = [[as_read(line[0])] + line[1:] for line in lines]
    ok = compare("scan, JSON", json_rows(read("scan.json"), scan_members), lines)
    ok = compare("scan, CSV", csv_rows(read("scan.csv"), scan_captions), read_names) and ok

    [[offset, text]] = tsv_rows(read("offset.tsv"))
    given = [os.fsencode(file_name), os.fsencode(export), offset, text]
    ok = compare("--offset, JSON", json_rows(read("offset.json"), ["file", "export", "offset", "text"]), [given]) and ok
    ok = compare("--offset, CSV", csv_rows(read("offset.csv"), ["File", "Export", "Offset", "Text"]),
                 [[as_read(given[0])] + given[1:]]) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))

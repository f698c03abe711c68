#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Kestrion developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads an Intel HEX file with Debian's python3-intelhex and prints its data records as JSON.

Word-addressed images overlap when read as one byte image, so every record is decoded on its own,
carrying the extended address from line to line. Output: {"records": [[address, "hex bytes"], ...]}
or {"error": "..."}. Exit status 77 when intelhex is missing.
"""

import json
import sys

try:
    import intelhex
except ImportError:
    print("python3-intelhex is not installed", file=sys.stderr)
    sys.exit(77)


def records(path):
    found = []
    offset = 0
    with open(path, "r", newline="") as text:
        for number, line in enumerate(text, 1):
            reader = intelhex.IntelHex()
            reader._offset = offset
            try:
                reader._decode_record(line, number)
            except intelhex._EndOfFile:
                break
            offset = reader._offset
            if reader._buf:
                addresses = sorted(reader._buf)
                found.append([addresses[0], bytes(reader._buf[a] for a in addresses).hex()])
    return found


def main():
    try:
        print(json.dumps({"records": records(sys.argv[1])}))
    except intelhex.HexReaderError as error:
        print(json.dumps({"error": str(error)}))


if __name__ == "__main__":
    main()

#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Kestrion developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads an Intel HEX file with Debian's python3-intelhex and prints its data records as JSON.

Word-addressed images overlap when read as one byte image, so every record is decoded on its own,
carrying the extended address from line to line; two records that write one word are found here, with
each word at twice its address. Output: {"records": [[address, "hex bytes"], ...], "end": line of the
end-of-file record or 0, "afterEnd": whether a non-empty line follows it, "overlap": line or 0} or
{"error": "..."}, one line for each file named. Exit status 77 when intelhex is missing.
"""

import json
import sys

try:
    import intelhex
except ImportError:
    print("python3-intelhex is not installed", file=sys.stderr)
    sys.exit(77)


def records(path):
    found = {"records": [], "end": 0, "afterEnd": False, "overlap": 0}
    offset = 0
    written = set()
    # Latin-1 maps every byte to one character, so that any byte reaches intelhex's own checks.
    with open(path, "r", newline="", encoding="latin-1") as text:
        for number, line in enumerate(text, 1):
            if found["end"]:
                found["afterEnd"] = found["afterEnd"] or bool(line.rstrip("\r\n"))
                continue
            reader = intelhex.IntelHex()
            reader._offset = offset
            try:
                reader._decode_record(line, number)
            except intelhex._EndOfFile:
                found["end"] = number
                continue
            offset = reader._offset
            if reader._buf:
                addresses = sorted(reader._buf)
                found["records"].append([addresses[0], bytes(reader._buf[a] for a in addresses).hex()])
                slots = {2 * addresses[0] + i for i in range(len(addresses))}
                if slots & written and not found["overlap"]:
                    found["overlap"] = number
                written |= slots
    return found


def main():
    for path in sys.argv[1:]:
        try:
            print(json.dumps(records(path)))
        except intelhex.HexReaderError as error:
            print(json.dumps({"error": str(error)}))


if __name__ == "__main__":
    main()

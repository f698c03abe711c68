#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Kestrion developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the placeholder of the motor-driver DSP bootloader, src/resources/Kolvex_Bootloader.hex.

The program sends this resource unchanged to a DSP that waits in its boot ROM's serial loader, so it
must have the layout of a boot-ROM serial stream. A site replaces it with its own loader; this one
carries no DSP code, only a readable text pattern.

Layout (every 16-bit word least significant byte first; a 32-bit value as two words, high word first):
    key            1 word    0x08AA (the stream opens with the bytes AA 08)
    reserved       8 words   0x0000
    entry point    2 words   where the boot ROM jumps after the last block
    blocks         each: word count N (1 word), destination address (2 words), N data words
    end            1 word    a block of size 0

Usage: make-bootloader.py [OUTPUT]   (standard library only; the output is byte-for-byte repeatable)
"""

import os
import struct
import sys

KEY = 0x08AA
RESERVED_WORDS = 8
ENTRY_POINT = 0x00008000
# Destination and size in words of each block; the sizes make the stream 30836 bytes long.
BLOCKS = [(0x00008000, 8192), (0x0000A000, 4096), (0x0000B000, 3109)]
STREAM_BYTES = 30836
PATTERN = b"KESTRION PLACEHOLDER LOADER - NOT DSP CODE - "


def word(value):
    return struct.pack("<H", value & 0xFFFF)


def long_value(value):
    return word(value >> 16) + word(value)


def pattern_words(count, offset):
    text = bytearray()
    while len(text) < 2 * count + offset:
        text += PATTERN
    return bytes(text[offset:offset + 2 * count])


def stream():
    data = bytearray(word(KEY))
    data += word(0) * RESERVED_WORDS
    data += long_value(ENTRY_POINT)
    offset = 0
    for address, count in BLOCKS:
        data += word(count) + long_value(address)
        data += pattern_words(count, offset % len(PATTERN))
        offset += 2 * count
    data += word(0)
    return bytes(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "src", "resources", "Kolvex_Bootloader.hex")
    output = sys.argv[1] if len(sys.argv) > 1 else default
    data = stream()
    if len(data) != STREAM_BYTES:
        sys.exit("make-bootloader: the stream is %d bytes, not %d" % (len(data), STREAM_BYTES))
    with open(output, "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()

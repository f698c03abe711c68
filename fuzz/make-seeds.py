#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Kestrion developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the seed inputs of the fuzz targets into corpus/<target>/ (committed; rerun after editing)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def legacy_body(code, texts=b"", module=b"\0\0\0\0", serial=b"\0\0\0\0", firmware=b"\0\0\0\0"):
    """The bytes after the tag: code, MAC, address, mask, gateway, then the text parts."""
    body = bytes(code) + bytes.fromhex("00a03b12345f") + bytes([10, 77, 1, 10, 255, 255, 255, 0, 10, 77, 1, 1])
    body += b"\0" * 4 + module + b"\0" * 4
    if texts:
        return body + texts
    return body + firmware + serial + b"EXTRA"


write("fuzz_legacy_answer", "power-supply", legacy_body([0x11, 0x00], b"2.15\r\nPS1234\r\nMOD7\r\nx\r\n1\r\n"))
write("fuzz_legacy_answer", "vesk", legacy_body([0x16, 0x00], module=b"VK01", serial=bytes.fromhex("00bc614e"),
                                                firmware=b"1203"))
write("fuzz_legacy_answer", "beamline-variant", legacy_body([0x21, 0x99], module=b"ABCD",
                                                            serial=bytes.fromhex("0012d687"), firmware=b"9999"))
write("fuzz_legacy_answer", "current-transducer", legacy_body([0x31, 0x00], serial=bytes.fromhex("15234567"),
                                                              firmware=b"3104"))
write("fuzz_legacy_answer", "tool", legacy_body([0x61, 0x00], serial=bytes.fromhex("81f04567"), firmware=b"6100"))
write("fuzz_legacy_answer", "recovery", legacy_body([0x1f, 0x80], b"\r\n\r\n\r\n"))
write("fuzz_legacy_answer", "empty", b"")

write("fuzz_json_answer", "every-keyword",
      '{"CODE":"1700","ID":"M1","FAMILY":"G","DEVICE":"D","BRAND":"VALDIS","SN":"S1","FW":"1.0",'
      '"MAC":"00:A0:3B:12:34:5F","IP":"10.0.0.2","NETMASK":"255.0.0.0","GATEWAY":"10.0.0.1","DHCP":"1","XTRA":"x"}')
write("fuzz_json_answer", "nested", '{"MAC":"x","O":{"a":["b",1,true,null,{"c":-1.5e3}]},"L":[]}')
write("fuzz_json_answer", "escapes", '{"K\\u00e9y":"v\\"\\\\\\/\\b\\f\\n\\r\\t","\\ud83d\\ude00":"Z\u00fcrich"}')
write("fuzz_json_answer", "repeated-key", '{"O":{"a":"b"},"O":{"c":"d"}}')
write("fuzz_json_answer", "tag-inside", '{"SN":"Ostravi QV3:12"}\0garbage')
write("fuzz_json_answer", "array", '[{"MAC":"x"}]')

lantronix = bytes.fromhex("000000f7") + b"\0" * 20 + bytes.fromhex("0020a4abcdef")
write("fuzz_lantronix_answer", "answer-30", lantronix)
write("fuzz_lantronix_answer", "answer-long", lantronix + b"\x55" * 34)
write("fuzz_lantronix_answer", "short", lantronix[:29])

header = ("[Ostravi]\n[Kestrion - Network Configurations]\n\n** You can edit this file to change the network "
          "configurations of the devices in the list **\n\n"
          "Key,Family,Serial Number,MAC Address,IP Address,Subnet Mask,Gateway\n")
write("fuzz_netconf_file", "written",
      header + "1100,Aurel,PS1234,00:A0:3B:12:34:5F,10.77.1.10,255.255.255.0,10.77.1.1\n"
      "2100,Lumen,12Y34W567,00:A0:3B:12:34:60,10.77.1.11,255.255.255.0,10.77.1.1\n"
      "3100,Corvix,51Y32W5476,00:A0:3B:12:34:61,10.77.1.12,255.255.0.0,10.77.0.1\n"
      "4200,Kolvex,K1,00:20:A4:AB:CD:EF,10.77.1.40,255.255.255.0,192.168.0.1\n")
write("fuzz_netconf_file", "crlf", header.replace("\n", "\r\n")
      + "1100,Aurel,PS1,00:A0:3B:12:34:5F,10.77.1.10,255.255.255.0,10.77.1.1\r\n")
write("fuzz_netconf_file", "short-line", header + "1100,Aurel,PS1,00:A0:3B:12:34:5F,10.77.1.10,255.255.255.0\n")

write("fuzz_settings_file", "defaults",
      "[scan]\nendIp=192.168.0.254\nscanTime=200\nsendUnicast=false\nstartIp=192.168.0.1\n\n"
      "[tcp]\nnThreads=10\nwaitConnected=1000\nwaitRead=1000\nwaitWritten=1000\n\n"
      "[update]\nfwDefaultDir=/tmp\nmanualIp=false\ntimeout=120000\n")
write("fuzz_settings_file", "hand-edited",
      "[scan]\nscanTime=999999999\nstartIp=255.255.255.255\nendIp=127.0.0.1\nsendUnicast=perhaps\n"
      "[tcp]\nnThreads=0\nwaitRead=-5\nwaitWritten=5e3\nwaitConnected=\" 77 \"\n"
      "[update]\ntimeout=0x10\nfwDefaultDir=/nowhere\nmanualIp=1\n[%General]\nkey=@Variant(\\0\\0\\0\\x7f)\n")
write("fuzz_settings_file", "empty", "")


def hex_record(kind, address, data):
    """One Intel HEX line with its checksum."""
    body = bytes([len(data), address >> 8 & 0xFF, address & 0xFF, kind]) + bytes(data)
    return ":" + (body + bytes([-sum(body) & 0xFF])).hex().upper() + "\r\n"


write("fuzz_intel_hex", "two-sections",
      hex_record(4, 0, [0x00, 0x3E]) + hex_record(0, 0x8000, range(32)) + hex_record(0, 0x8010, range(32)) +
      hex_record(0, 0x8100, b"KVXVER=1.23\0") + hex_record(1, 0, []))
write("fuzz_intel_hex", "lf-lines", hex_record(0, 0x0100, [1, 2, 3, 4]).replace("\r\n", "\n") + ":00000001FF")


def srec_line(kind, address, data):
    """One Motorola S-record line with its checksum."""
    width = {"0": 2, "1": 2, "2": 3, "3": 4, "5": 2, "6": 3, "7": 4, "8": 3, "9": 2}[kind]
    body = bytes([width + len(data) + 1]) + address.to_bytes(width, "big") + bytes(data)
    return "S" + kind + (body + bytes([~sum(body) & 0xFF])).hex().upper() + "\r\n"


write("fuzz_srecord_scan", "sectors",
      srec_line("0", 0, b"HDR") + srec_line("1", 0xFFF0, range(16)) + srec_line("2", 0x10000, range(16)) +
      srec_line("3", 0x7F0000, range(16)) + srec_line("5", 3, b"") + srec_line("9", 0, b""))
write("fuzz_srecord_scan", "long-line", srec_line("3", 0x20000, range(120)).replace("\r\n", "\n"))


# Images of every shape the units take, and some that a unit must not be sent.
srec_image = (srec_line("0", 0, b"HDR") + srec_line("1", 0x0100, range(16)) + srec_line("2", 0x10000, range(8)) +
              srec_line("3", 0x7FFFF0, range(16)) + srec_line("5", 3, b"") + srec_line("7", 0, b""))
write("fuzz_image_check", "srecord", srec_image)
write("fuzz_image_check", "srecord-lf-lower-blank", srec_image.replace("\r\n", "\n").lower().replace("s", "S")
      .replace("\n", "\n\n \t\n", 1).rstrip("\n"))
write("fuzz_image_check", "srecord-s6-overlap", srec_line("1", 0x0100, range(16)) + srec_line("1", 0x0108, b"xy") +
      srec_line("6", 2, b"") + srec_line("9", 0, b""))
write("fuzz_image_check", "srecord-joined", srec_line("1", 0x0100, range(4)) + srec_line("9", 0, b"") +
      srec_line("1", 0x0200, range(4)) + srec_line("9", 0, b""))
hex_image = (hex_record(4, 0, [0x00, 0x3E]) + hex_record(0, 0x8000, range(32)) + hex_record(0, 0x8010, range(32)) +
             hex_record(0, 0x8F00, range(7)) + hex_record(1, 0, []))
write("fuzz_image_check", "hex-flash", hex_image)
write("fuzz_image_check", "hex-16-bit-lf-lower", (hex_record(0, 0x0010, range(16)) + "\n" +
      hex_record(0, 0x0100, range(2)) + hex_record(1, 0, [])).replace("\r\n", "\n").lower().rstrip("\n"))
write("fuzz_image_check", "hex-32-bit-overlap", hex_record(4, 0, [0xFF, 0xFF]) + hex_record(0, 0xFFF0, range(32)) +
      hex_record(0, 0xFFF8, range(4)) + hex_record(1, 0, []))
write("fuzz_image_check", "hex-start-record-no-end", hex_record(5, 0, [0, 0x3E, 0x80, 0]) +
      hex_record(0, 0x8000, range(8)))

#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Kestrion developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes a scan benchmark lab of N units (default 2000) in the proportions of lab-200.json:
60 % legacy, 15 % JSON and 25 % XPort units (four in five with a motor driver), on two /21 links.

    bench/scan/make-lab.py 2000 > bench/scan/lab-2000.json
"""
import json
import sys

UNITS_PER_LINK_BLOCK = 1000


def unit(index):
    link = index % 2
    slot = index // 2
    ip = "10.76.%d.%d" % (8 * link + 1 + slot // 200, 10 + slot % 200)
    mac = "02:00:%02X:%02X:%02X:%02X" % (link, (index >> 16) & 0xFF, (index >> 8) & 0xFF, index & 0xFF)
    common = {"name": "u%04d" % index, "link": "kb%d" % link, "ip": ip, "mac": mac,
              "mask": "255.255.248.0", "gateway": "10.76.%d.1" % (8 * link)}
    kind = index % 20
    if kind < 12:
        return dict(common, kind="legacy", code="1100",
                    psInfo={"fw": "1.00", "sn": "PS%04d" % index, "id": "M%04d" % index, "line3": ""})
    if kind < 15:
        return dict(common, kind="json",
                    object={"CODE": "1700", "SN": "J%04d" % index, "MAC": mac, "IP": ip,
                            "NETMASK": "255.255.248.0", "GATEWAY": common["gateway"], "DHCP": "0"})
    xport = dict(common, kind="xport", mac="00:20:4A:%02X:%02X:%02X" % (link, (index >> 8) & 0xFF, index & 0xFF))
    if kind < 19:
        xport["driver"] = {"mver": "#MVER:KOLVEX:B:2.%02d" % (index % 100), "serial": "KV%04d" % index}
    return xport


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 2000
    if count > 2 * UNITS_PER_LINK_BLOCK:
        sys.exit("at most %d units" % (2 * UNITS_PER_LINK_BLOCK))
    links = [{"name": "kb%d" % link, "toolIp": "10.76.%d.1" % (8 * link), "labIp": "10.76.%d.254" % (8 * link),
              "prefix": 21} for link in range(2)]
    lines = [json.dumps(unit(i), separators=(",", ":")) for i in range(count)]
    sys.stdout.write('{"links":%s,\n"units":[\n%s\n]}\n' % (json.dumps(links), ",\n".join(lines)))


main()

#!/usr/bin/env python3
"""Writes a valid bridges file of N groups and N/2 bridges (about 330 bytes
per group, on one line), the shape the peer comparison uses: generate.py N OUT."""
import json
import sys


def group(i):
    return {
        "id": f"grp-{i}",
        "type": 1,
        "name": f"Talk group {i}",
        "bridgeTargetOutputDetail": {"mode": 2},
        "vortapoints": [{"id": f"vp-{i}", "host": {"address": "vp.example.net", "port": 7443}}],
        "rx": {"address": f"239.42.7.{i % 250 + 1}", "port": 40000 + i % 20000},
        "tx": {"address": f"239.42.8.{i % 250 + 1}", "port": 40000 + i % 20000},
    }


def bridge(i, groups):
    return {
        "id": f"brg-{i}",
        "name": f"Bridge {i}",
        "enabled": True,
        "groups": [f"grp-{2 * i}", f"grp-{(2 * i + 1) % groups}"],
    }


def main():
    groups = int(sys.argv[1])
    document = {
        "groups": [group(i) for i in range(groups)],
        "bridges": [bridge(i, groups) for i in range(groups // 2)],
    }
    with open(sys.argv[2], "w", encoding="utf-8") as out:
        json.dump(document, out)
        out.write("\n")


if __name__ == "__main__":
    main()

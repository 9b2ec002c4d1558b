#!/usr/bin/env python3
"""Writes a valid bridges file of N groups and N/2 bridges (about 330 bytes
per group, on one line), the shape the peer comparison uses: generate.py N OUT.
With --schema-errors every group's vortapoint port is written as a string, one
schema error per group in a file of the same shape."""
import json
import sys


def group(i, port_as_text=False):
    port = 40000 + i % 20000
    vortapoint_port = "7443" if port_as_text else 7443
    return {
        "id": f"grp-{i}",
        "type": 1,
        "name": f"Talk group {i}",
        "bridgeTargetOutputDetail": {"mode": 2},
        "vortapoints": [
            {"id": f"vp-{i}", "host": {"address": "vp.example.net", "port": vortapoint_port}}
        ],
        "rx": {"address": f"239.42.7.{i % 250 + 1}", "port": port},
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
    arguments = [a for a in sys.argv[1:] if a != "--schema-errors"]
    errors = len(arguments) < len(sys.argv) - 1
    groups = int(arguments[0])
    document = {
        "groups": [group(i, errors) for i in range(groups)],
        "bridges": [bridge(i, groups) for i in range(groups // 2)],
    }
    with open(arguments[1], "w", encoding="utf-8") as out:
        json.dump(document, out)
        out.write("\n")


if __name__ == "__main__":
    main()

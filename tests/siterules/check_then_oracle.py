#!/usr/bin/env python3
"""Every site rule's "when" and "then" of a rule table, on every entity of
the example deployments, against Debian's python3-jsonschema: the entities
the library finds at fault are exactly those the oracle rejects, every
issue lies inside its entity, and every fix writes the value that makes the
oracle accept that place."""
import json
import subprocess
import sys
from pathlib import Path

import jsonschema

probe, examples, table = sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3])
tool = sys.argv[4] if len(sys.argv) > 4 else None
rules = json.loads(table.read_text())["rules"]


def entities(server, bridges, given):
    if given == "server":
        return [("", 0, server)]
    groups = bridges.get("groups", []) if isinstance(bridges, dict) else []
    found = []
    if given == "group":
        found = [(f"/groups/{i}", 1, g) for i, g in enumerate(groups) if isinstance(g, dict)]
    elif given == "bridge":
        found = [(f"/bridges/{i}", 1, b) for i, b in enumerate(bridges.get("bridges", []))
                 if isinstance(b, dict)]
    elif given == "vortapoint":
        for i, g in enumerate(groups):
            if isinstance(g, dict) and isinstance(g.get("vortapoints"), list):
                found += [(f"/groups/{i}/vortapoints/{j}", 1, v)
                          for j, v in enumerate(g["vortapoints"]) if isinstance(v, dict)]
    return found


def accepts(schema, value):
    return jsonschema.Draft7Validator(schema).is_valid(value)


def owner(pointer, candidates):
    """The longest entity pointer that the issue's pointer lies in."""
    inside = [c for c in candidates if pointer == c or pointer.startswith(c + "/")]
    return max(inside, key=len) if inside else None


failures = []
checked = 0
for deployment in sorted(p for p in examples.iterdir() if (p / "bridges.json").exists()):
    texts = {0: (deployment / "orvexbridged_conf.json").read_bytes(),
             1: (deployment / "bridges.json").read_bytes()}
    server, bridges = json.loads(texts[0]), json.loads(texts[1])
    out = subprocess.run([probe, str(table), str(deployment / "orvexbridged_conf.json"),
                          str(deployment / "bridges.json")],
                         capture_output=True, text=True, check=True).stdout
    issues = [json.loads(line) for line in out.splitlines()]
    if tool:
        # The tool runs the same rules under the project it is given, each
        # issue in its file at the same place.
        run = subprocess.run([tool, "--format", "json", "--project", str(table),
                              str(deployment / "orvexbridged_conf.json"),
                              str(deployment / "bridges.json")], capture_output=True, text=True)
        reported = {(Path(f["file"]).name, i["code"], i["path"], i["line"])
                    for f in json.loads(run.stdout)["files"] for i in f["issues"]
                    if i["code"].startswith("site_")}
        names = {0: "orvexbridged_conf.json", 1: "bridges.json"}
        probed = {(names[i["source"]], i["code"], i["pointer"] or "/", i["line"])
                  for i in issues if "code" in i}
        if reported != probed:
            failures.append(f"{deployment.name}: the tool reports {sorted(reported - probed)}, "
                            f"misses {sorted(probed - reported)}")
    for issue in issues:
        if "problem" in issue:
            failures.append(f"rule table problem: {issue}")
    for rule in rules:
        found = entities(server, bridges, rule["given"])
        selected = [e for e in found if accepts(rule.get("when", True), e[2])]
        expected = {p for p, _, v in selected if not accepts(rule["then"], v)}
        mine = [i for i in issues if i.get("code") == rule["code"]]
        got = {owner(i["pointer"], [p for p, _, _ in found]) for i in mine}
        checked += len(found)
        if got != expected:
            failures.append(f"{deployment.name} {rule['code']}: library {sorted(map(str, got))}, "
                            f"jsonschema {sorted(expected)}")
        for issue in mine:
            if issue["line"] < 1 or issue["source"] != (0 if rule["given"] == "server" else 1):
                failures.append(f"{deployment.name} {rule['code']}: no place for {issue}")
            for offset, length, text in issue["fixes"]:
                source = texts[issue["source"]]
                fixed = json.loads(source[:offset] + text.encode() + source[offset + length:])
                place = fixed
                for token in issue["pointer"].split("/")[1:]:
                    place = place[int(token)] if isinstance(place, list) else place[token]
                if place != json.loads(text):
                    failures.append(f"{deployment.name} {rule['code']}: the fix did not write {text}")

if tool:
    for rule in rules:
        explained = subprocess.run([tool, "--explain", rule["code"], "--project", str(table)],
                                   capture_output=True, text=True)
        if explained.returncode != 0 or rule["description"] not in explained.stdout:
            failures.append(f"--explain {rule['code']}: {explained.stdout}{explained.stderr}")
print(f"{len(rules)} rules on {checked} entities")
if failures:
    print("\n".join(failures))
    sys.exit(1)

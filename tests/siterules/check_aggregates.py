#!/usr/bin/env python3
"""The aggregates of site rules (unique, count, sum, under "when" and
profiles) against a small reimplementation, on seeded random deployments:
the library's issues are exactly the ones computed here."""
import json
import random
import subprocess
import sys
import tempfile
from pathlib import Path

probe = sys.argv[1]
RULES = {
    "profiles": {"prod": ["prod/**"], "lab": ["lab/*/orvexbridged_conf.json"]},
    "rules": [
        {"code": "site_unique_rx_port", "severity": "error", "given": "group",
         "description": "No two groups receive on one port", "unique": "/rx/port"},
        {"code": "site_unique_vp_host", "severity": "warning", "given": "vortapoint",
         "description": "Vortapoints have their own host", "unique": "/host"},
        {"code": "site_audio_count", "severity": "warning", "given": "group",
         "description": "Between 2 and 5 audio groups",
         "when": {"properties": {"type": {"const": 1}}, "required": ["type"]},
         "count": {"minimum": 2, "maximum": 5}},
        {"code": "site_bridge_count", "severity": "note", "given": "bridge",
         "description": "At most 3 bridges in production", "profiles": ["prod"],
         "count": {"maximum": 3}},
        {"code": "site_grace_budget", "severity": "error", "given": "bridge",
         "description": "Enabled bridges' loss grace adds up to 200-3000 ms",
         "profiles": ["prod", "lab"],
         "when": {"not": {"properties": {"enabled": {"const": False}}, "required": ["enabled"]}},
         "sum": {"of": "/lossGraceMs", "minimum": 200, "maximum": 3000}},
        {"code": "site_server_count", "severity": "note", "given": "server",
         "description": "One server", "count": {"minimum": 1, "maximum": 1}},
    ],
}
PATHS = ["prod/north/orvexbridged_conf.json", "prod/orvexbridged_conf.json",
         "lab/a/orvexbridged_conf.json", "lab/a/b/orvexbridged_conf.json", "orvexbridged_conf.json"]


def in_profile(rule, path):
    import fnmatch
    names = rule.get("profiles")
    if not names:
        return True
    for name in names:
        for pattern in RULES["profiles"][name]:
            if pattern == "prod/**" and path.startswith("prod/"):
                return True
            if pattern.startswith("lab/*/") and fnmatch.fnmatch(path, pattern) \
                    and path.count("/") == pattern.count("/"):
                return True
    return False


def random_deployment(rng):
    def port():
        return rng.choice([42000, 42002, 42004, 42004.0, "42000", None])

    groups = []
    for _ in range(rng.randint(0, 9)):
        group = {"id": f"g{rng.randint(0, 99)}"}
        if rng.random() < 0.8:
            group["type"] = rng.choice([0, 1, 1, 1, 3, 1.0])
        if rng.random() < 0.7:
            value = port()
            group["rx"] = {"address": "239.1.1.1"} if value is None else {"port": value}
        if rng.random() < 0.5:
            group["vortapoints"] = [
                {"id": f"v{j}", "host": rng.choice([{"address": "a", "port": 1},
                                                    {"port": 1, "address": "a"},
                                                    {"address": "b", "port": 1}, "a"])}
                for j in range(rng.randint(0, 3))] + rng.choice([[], [5]])
        groups.append(group if rng.random() < 0.95 else "not a group")
    bridges = []
    for _ in range(rng.randint(0, 6)):
        bridge = {"id": f"b{rng.randint(0, 9)}", "groups": ["g1"]}
        if rng.random() < 0.3:
            bridge["enabled"] = rng.choice([True, False, "false"])
        if rng.random() < 0.8:
            bridge["lossGraceMs"] = rng.choice([0, 100, 500, 1500, 2.5, "9", -50])
        bridges.append(bridge)
    return {"mode": 3}, {"groups": groups, "bridges": bridges}


def entities(server, bridges, given):
    groups = bridges["groups"]
    if given == "server":
        return [("", server)]
    if given == "group":
        return [(f"/groups/{i}", g) for i, g in enumerate(groups) if isinstance(g, dict)]
    if given == "bridge":
        return [(f"/bridges/{i}", b) for i, b in enumerate(bridges["bridges"]) if isinstance(b, dict)]
    return [(f"/groups/{i}/vortapoints/{j}", v) for i, g in enumerate(groups) if isinstance(g, dict)
            for j, v in enumerate(g.get("vortapoints", [])) if isinstance(v, dict)]


def at(value, pointer):
    for token in pointer.split("/")[1:]:
        if not isinstance(value, dict) or token not in value:
            return None, False
        value = value[token]
    return value, True


def selected_by(rule, value):
    when = rule.get("when")
    if when is None:
        return True
    if "not" in when:  # "enabled" present and false
        return not (isinstance(value.get("enabled"), bool) and value["enabled"] is False)
    t = value.get("type")
    return type(t) in (int, float) and not isinstance(t, bool) and t == 1


def same(a, b):
    number = (int, float)
    if isinstance(a, bool) or isinstance(b, bool):
        return type(a) is type(b) and a == b
    if isinstance(a, number) and isinstance(b, number):
        return a == b
    return type(a) is type(b) and a == b


def expected(server, bridges, path):
    out = set()
    for rule in RULES["rules"]:
        if not in_profile(rule, path):
            continue
        chosen = [(p, v) for p, v in entities(server, bridges, rule["given"]) if selected_by(rule, v)]
        container = {"server": "", "bridge": "/bridges"}.get(rule["given"], "/groups")
        if "unique" in rule:
            firsts = []
            for p, v in chosen:
                value, present = at(v, rule["unique"])
                if not present:
                    continue
                first = next((q for q, w in firsts if same(w, value)), None)
                if first is None:
                    firsts.append((p, value))
                else:
                    out.add((rule["code"], p + rule["unique"], first + rule["unique"]))
        bounds, total = None, None
        if "count" in rule:
            bounds, total = rule["count"], len(chosen)
        if "sum" in rule:
            bounds = rule["sum"]
            total = sum(v for v in (at(e, rule["sum"]["of"])[0] for _, e in chosen)
                        if type(v) in (int, float))
        if bounds is not None and (total < bounds.get("minimum", float("-inf"))
                                   or total > bounds.get("maximum", float("inf"))):
            out.add((rule["code"], container, ""))
    return out


rng = random.Random(46)
failures = 0
seen = 0
with tempfile.TemporaryDirectory() as folder:
    table = Path(folder) / "orvex-project.json"
    table.write_text(json.dumps(RULES))
    for case in range(150):
        server, bridges = random_deployment(rng)
        path = rng.choice(PATHS)
        (Path(folder) / "s.json").write_text(json.dumps(server))
        (Path(folder) / "b.json").write_text(json.dumps(bridges))
        out = subprocess.run([probe, str(table), f"{folder}/s.json", f"{folder}/b.json", path],
                             capture_output=True, text=True, check=True).stdout
        got = {(i["code"], i["pointer"], i["related"]) for i in map(json.loads, out.splitlines())}
        want = expected(server, bridges, path)
        seen += len(want)
        if got != want:
            failures += 1
            if failures <= 3:
                print(f"case {case} ({path}):\n  library only {sorted(got - want)}\n"
                      f"  python only  {sorted(want - got)}\n  {json.dumps(bridges)}")
print(f"150 random deployments, {seen} issues expected, {failures} deployments differ")
if seen < 100:
    print("the generator no longer makes the aggregates fire")
    failures += 1
sys.exit(1 if failures else 0)

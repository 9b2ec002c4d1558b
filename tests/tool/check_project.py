"""The project file end to end: entries added by `accept` for every issue of
examples/broken, then the deployment changed in ways that must keep or
break each acceptance, each judged with a fixed --today; `prune-accepted`;
severities; SARIF fingerprints through Microsoft's multitool
(match-results-forward: 0 new, 0 absent when the groups are reversed); the
GitLab report against the fields GitLab documents, with ajv.

usage: check_project.py TOOL EXAMPLES_BROKEN MULTITOOL AJV_MODULES
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

TOOL, BROKEN, MULTITOOL, AJV = sys.argv[1:5]
TODAY = "2026-12-11"
failures = []


def run(folder, *args):
    done = subprocess.run([TOOL, *args], cwd=folder, capture_output=True, text=True)
    return done.returncode, done.stdout, done.stderr


def report(folder, *args):
    status, out, err = run(folder, "--format", "json", "--today", TODAY, *args, ".")
    return status, json.loads(out) if out else None, err


def edit_json(path, change):
    with open(path, encoding="utf-8") as f:
        document = json.load(f)
    change(document)
    with open(path, "w", encoding="utf-8") as f:
        json.dump(document, f, indent=2)


def group(document, group_id):
    return next(g for g in document["groups"] if g["id"] == group_id)


def reverse(d):
    d["groups"].reverse()
    d["bridges"].reverse()


def rename_paging(d):
    group(d, "{paging}")["id"] = "{paging-new}"


def fix_paging(d):
    group(d, "{paging}")["rx"] = {"address": "239.42.30.1", "port": 42300}


def codes(rep, file_name):
    files = [f for f in rep["files"] if f["file"] == file_name]
    return [i["code"] for f in files for i in f["issues"]]


def fresh(tmp, name):
    folder = os.path.join(tmp, name)
    shutil.copytree(BROKEN, folder)
    return folder


def expect(label, condition, detail=""):
    if not condition:
        failures.append(f"{label}: {detail}")


def set_expiry(folder, day):
    def change(project):
        entry = next(e for e in project["accept"] if e["code"] == "group_no_networking")
        entry["expires"] = day
    edit_json(os.path.join(folder, "orvex-project.json"), change)


# Each case: a change of the deployment (or of the entry's expiry), and what
# the check then says: exit status, unused and expired entries, issues back.
CASES = [
    ("unchanged", None, None, 0, 0, 0, 0),
    ("groups and bridges reversed", reverse, None, 0, 0, 0, 0),
    ("group renamed", rename_paging, None, 1, 1, 0, 1),
    ("issue fixed", fix_paging, None, 1, 1, 0, 0),
    ("expires today", None, TODAY, 0, 0, 0, 0),
    ("expired yesterday", None, "2026-12-10", 1, 0, 1, 1),
    ("not a real day", None, "2026-02-30", 1, 0, 1, 1),
]


def accepted_folder(tmp, name):
    folder = fresh(tmp, name)
    status, _, err = run(folder, "accept", "--reason", "receive-only by design", "--today", TODAY, ".")
    expect(name, status == 0, f"accept exited {status}: {err}")
    return folder


def check_cases(tmp, issue_count):
    for name, change, expiry, status, unused, expired, back in CASES:
        folder = accepted_folder(tmp, name.replace(" ", "-"))
        if change:
            edit_json(os.path.join(folder, "bridges.json"), change)
        if expiry:
            set_expiry(folder, expiry)
        got, rep, err = report(folder, "--fail-on-warning")
        project = codes(rep, "orvex-project.json")
        others = [c for f in rep["files"] if f["file"] != "orvex-project.json"
                  for c in [i["code"] for i in f["issues"]]]
        expect(name, got == status, f"exit {got}, expected {status} {err}")
        expect(name, project.count("unused_accept") == unused, project)
        expect(name, project.count("expired_accept") == expired, project)
        expect(name, len(others) == back, others)
        accepted = rep["summary"].get("accepted", 0)
        expect(name, accepted + back + (1 if name == "issue fixed" else 0) == issue_count,
               f"{accepted} accepted of {issue_count}")
        if expired:
            message = next(i["message"] for f in rep["files"] for i in f["issues"]
                           if i["code"] == "group_no_networking")
            expect(name, message.endswith(f"(accepted until {expiry})"), message)


def check_unused_fix_and_prune(tmp):
    folder = accepted_folder(tmp, "prune")
    edit_json(os.path.join(folder, "bridges.json"), rename_paging)
    project_path = os.path.join(folder, "orvex-project.json")
    with open(project_path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    _, rep, _ = report(folder)
    unused = next(i for f in rep["files"] for i in f["issues"] if i["code"] == "unused_accept")
    expect("unused line", '"{paging}"' in lines[unused["line"] - 1], unused)
    status, _, err = run(folder, "prune-accepted", "--today", TODAY, "bridges.json")
    expect("partial prune refused", status == 2 and "not every file" in err, err)
    status, _, err = run(folder, "prune-accepted", "--today", TODAY, ".")
    with open(project_path, encoding="utf-8") as f:
        pruned = json.load(f)["accept"]
    expect("prune", status == 0 and len(pruned) == len(lines) - 5 - 1, f"{status} {err}")
    expect("prune", all(e.get("id") != "{paging}" for e in pruned), pruned)
    _, rep, _ = report(folder)
    expect("after prune", codes(rep, "orvex-project.json") == [], rep["files"][-1])


def check_severities_and_errors(tmp):
    folder = fresh(tmp, "severities")
    project_path = os.path.join(folder, "orvex-project.json")
    table = [
        ([{"code": "group_no_networking", "level": "off"}], 0, None),
        ([{"code": "group_no_networking", "files": "elsewhere/**", "level": "off"}], 1, "warning"),
        ([{"code": "group_no_networking", "files": "*.json", "level": "error"}], 1, "error"),
        ([{"code": "group_no_networking", "level": "off"},
          {"code": "group_no_networking", "level": "note"}], 1, "info"),
    ]
    for severities, count, severity in table:
        with open(project_path, "w", encoding="utf-8") as f:
            json.dump({"severities": severities}, f)
        _, rep, _ = report(folder)
        found = [i for f in rep["files"] for i in f["issues"] if i["code"] == "group_no_networking"]
        expect(f"severities {severities}", len(found) == count and
               (count == 0 or found[0]["severity"] == severity), found)
    # A parse error is never accepted; a broken project file stops the run.
    with open(os.path.join(folder, "bridges.json"), "a", encoding="utf-8") as f:
        f.write("x")
    with open(project_path, "w", encoding="utf-8") as f:
        json.dump({"accept": [{"code": "parse_error", "file": "bridges.json", "reason": "no"}]}, f)
    status, rep, _ = report(folder)
    expect("parse_error", status == 2 and "parse_error" in codes(rep, "bridges.json"), status)
    with open(project_path, "w", encoding="utf-8") as f:
        f.write('{"accept": [}')
    status, out, err = run(folder, "--today", TODAY, ".")
    expect("broken project file", status == 2 and re.search(r"line 1, column \d+", err), err)
    with open(project_path, "w", encoding="utf-8") as f:
        json.dump({"accept": [{"code": "schema", "file": "bridges.json"}]}, f)
    status, rep, _ = report(folder)
    expect("entry without reason", "schema" in codes(rep, "orvex-project.json"), rep["files"])


def sarif(folder, path, *args):
    status, out, _ = run(folder, "--format", "sarif", "--today", TODAY, *args, ".")
    with open(path, "w", encoding="utf-8") as f:
        f.write(out)
    return json.loads(out)


def check_sarif(tmp):
    env = dict(os.environ, HOME=tmp, DOTNET_CLI_TELEMETRY_OPTOUT="1")
    before = fresh(tmp, "sarif-before")
    after = fresh(tmp, "sarif-after")
    edit_json(os.path.join(after, "bridges.json"), reverse)
    old = os.path.join(tmp, "old.sarif")
    new = os.path.join(tmp, "new.sarif")
    sarif(before, old)
    sarif(after, new)
    out = os.path.join(tmp, "matched.sarif")
    done = subprocess.run([MULTITOOL, "match-results-forward", new, "-r", old, "-o", out,
                           "--log", "ForceOverwrite"], capture_output=True, env=env)
    expect("match-results-forward", done.returncode == 0, done.stdout.decode())
    with open(out, encoding="utf-8") as f:
        states = [r.get("baselineState") for r in json.load(f)["runs"][0]["results"]]
    expect("match-results-forward", states.count("new") == 0 and states.count("absent") == 0 and
           len(states) == 12, states)
    # Accepted issues, listed on request, carry their suppression.
    subprocess.run([TOOL, "accept", "--reason", "known", "--today", TODAY, "."], cwd=before,
                   capture_output=True)
    log = sarif(before, old, "--report-accepted")
    results = log["runs"][0]["results"]
    expect("suppressions", len(results) == 12 and all(
        r["suppressions"][0]["justification"] == "known" for r in results), results[:1])
    done = subprocess.run([MULTITOOL, "validate", old, "-o", os.path.join(tmp, "v.sarif"),
                           "--log", "ForceOverwrite"], capture_output=True, env=env)
    with open(os.path.join(tmp, "v.sarif"), encoding="utf-8") as f:
        found = [r for run_ in json.load(f)["runs"] for r in run_.get("results", [])
                 if r.get("level", "warning") in ("error", "warning")]
    expect("multitool validate", done.returncode == 0 and not found, found)


# The fields GitLab documents for a Code Quality report.
GITLAB_SCHEMA = {
    "type": "array",
    "items": {
        "type": "object",
        "required": ["description", "check_name", "fingerprint", "severity", "location"],
        "properties": {
            "description": {"type": "string", "minLength": 1},
            "check_name": {"type": "string", "minLength": 1},
            "fingerprint": {"type": "string", "minLength": 1},
            "severity": {"enum": ["info", "minor", "major", "critical", "blocker"]},
            "location": {
                "type": "object",
                "required": ["path", "lines"],
                "properties": {
                    "path": {"type": "string", "pattern": "^[^/]"},
                    "lines": {"type": "object", "required": ["begin"],
                              "properties": {"begin": {"type": "integer", "minimum": 1}}},
                },
            },
        },
    },
}

AJV_SCRIPT = """
const Ajv = require(process.argv[1] + '/ajv');
const fs = require('fs');
const validate = new Ajv({allErrors: true}).compile(JSON.parse(fs.readFileSync(process.argv[2])));
if (!validate(JSON.parse(fs.readFileSync(process.argv[3])))) {
  console.log(JSON.stringify(validate.errors)); process.exit(1);
}
"""


def check_gitlab(tmp):
    reports = []
    for name, change in (("gitlab-before", None), ("gitlab-after", reverse)):
        folder = fresh(tmp, name)
        if change:
            edit_json(os.path.join(folder, "bridges.json"), change)
        status, out, _ = run(folder, "--format", "gitlab", ".")
        path = os.path.join(tmp, name + ".json")
        with open(path, "w", encoding="utf-8") as f:
            f.write(out)
        reports.append(json.loads(out))
        schema = os.path.join(tmp, "gitlab-schema.json")
        with open(schema, "w", encoding="utf-8") as f:
            json.dump(GITLAB_SCHEMA, f)
        done = subprocess.run(["node", "-e", AJV_SCRIPT, AJV, schema, path],
                              capture_output=True, text=True)
        expect(f"ajv {name}", done.returncode == 0, done.stdout + done.stderr)
    prints = [sorted(i["fingerprint"] for i in r) for r in reports]
    expect("gitlab fingerprints", prints[0] == prints[1] and len(set(prints[0])) == 12, prints)


def main():
    with tempfile.TemporaryDirectory() as tmp:
        _, rep, _ = report(fresh(tmp, "count"))
        issue_count = sum(len(f["issues"]) for f in rep["files"])
        check_cases(tmp, issue_count)
        check_unused_fix_and_prune(tmp)
        check_severities_and_errors(tmp)
        check_gitlab(tmp)
        check_sarif(tmp)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

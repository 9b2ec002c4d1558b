"""Runs orvex-config-validate --format sarif, has Microsoft's SARIF
multitool validate the log, and checks what a code-scanning consumer relies
on: a rule for every result, levels, relative artifact URIs, regions. With
ORVEX_SARIF_FIXES set, the log holds that many fixes, and the first fix of
each result, applied to its file, leaves JSON.

usage: check_sarif.py TOOL MULTITOOL WORKDIR STATUS RESULTS [ARG...]
"""
import json
import os
import subprocess
import sys
import tempfile

# Every finding of the multitool counts (the driver names its web page).
TOLERATED = set()


def multitool_findings(multitool, log, scratch):
    out = os.path.join(scratch, "validation.sarif")
    env = dict(os.environ, HOME=scratch, DOTNET_CLI_TELEMETRY_OPTOUT="1")
    run = subprocess.run([multitool, "validate", log, "-o", out, "--log", "ForceOverwrite"],
                         capture_output=True, env=env)
    if run.returncode != 0 or not os.path.exists(out):
        return [f"multitool failed ({run.returncode}): {run.stdout.decode()}{run.stderr.decode()}"]
    with open(out, encoding="utf-8") as f:
        validation = json.load(f)
    findings = []
    for vrun in validation["runs"]:
        for result in vrun.get("results", []):
            level = result.get("level", "warning")
            if level in ("error", "warning") and result.get("ruleId") not in TOLERATED:
                findings.append(f"multitool {level} {result.get('ruleId')}: {result['message']}")
        for invocation in vrun.get("invocations", []):
            if not invocation.get("executionSuccessful", False):
                findings.append("multitool run was not successful")
    return findings


def own_findings(log, expected_results):
    findings = []
    runs = log["runs"]
    if log.get("version") != "2.1.0" or len(runs) != 1:
        return ["not one SARIF 2.1.0 run"]
    rules = runs[0]["tool"]["driver"]["rules"]
    ids = [rule["id"] for rule in rules]
    if len(set(ids)) != len(ids):
        findings.append("rule ids repeat")
    for rule in rules:
        if not rule["shortDescription"]["text"] or \
                rule["defaultConfiguration"]["level"] not in ("error", "warning", "note"):
            findings.append(f"rule {rule['id']} lacks a description or level")
    results = runs[0]["results"]
    if len(results) != expected_results:
        findings.append(f"{len(results)} results, expected {expected_results}")
    for result in results:
        if ids[result["ruleIndex"]] != result["ruleId"]:
            findings.append(f"result {result['ruleId']} points at rule {ids[result['ruleIndex']]}")
        for location in result.get("locations", []):
            physical = location.get("physicalLocation")
            if physical:
                uri = physical["artifactLocation"]["uri"]
                if uri.startswith("/") or ":" in uri:
                    findings.append(f"artifact URI {uri} is not relative")
                region = physical.get("region", {})
                if not (region.get("startLine", 0) >= 1 and region.get("startColumn", 0) >= 1):
                    findings.append(f"result {result['ruleId']} in {uri} has no region")
    return findings


def offset_of(lines, line, column):
    """The offset in a text's code points of a 1-based line and column."""
    return sum(len(text) for text in lines[:line - 1]) + column - 1


def fix_findings(log, workdir, expected_fixes):
    findings = []
    edits = {}
    count = 0
    for result in log["runs"][0]["results"]:
        for number, fix in enumerate(result.get("fixes", [])):
            count += 1
            if not fix["description"]["text"]:
                findings.append(f"a fix of {result['ruleId']} has no description")
            for change in fix["artifactChanges"]:
                uri = change["artifactLocation"]["uri"]
                for replacement in change["replacements"]:
                    region = replacement["deletedRegion"]
                    if number == 0:
                        edits.setdefault(uri, []).append(
                            (region["startLine"], region["startColumn"], region["endLine"],
                             region["endColumn"], replacement["insertedContent"]["text"]))
    if count != expected_fixes:
        findings.append(f"{count} fixes, expected {expected_fixes}")
    for uri, replacements in edits.items():
        with open(os.path.join(workdir, uri), encoding="utf-8", newline="") as f:
            text = f.read()
        lines = text.splitlines(keepends=True)
        spans = sorted((offset_of(lines, a, b), offset_of(lines, c, d), new)
                       for a, b, c, d, new in replacements)
        out, at = "", 0
        for start, end, new in spans:
            if start < at:
                continue  # overlaps one taken
            out += text[at:start] + new
            at = end
        try:
            json.loads(out + text[at:])
        except ValueError as error:
            findings.append(f"the fixes of {uri} leave no JSON: {error}")
    return findings


def main():
    tool, multitool, workdir = sys.argv[1:4]
    status, expected_results = int(sys.argv[4]), int(sys.argv[5])
    run = subprocess.run([tool, "--format", "sarif", *sys.argv[6:]], cwd=workdir,
                         capture_output=True)
    findings = []
    if run.returncode != status:
        findings.append(f"exit status {run.returncode}, expected {status}")
    with tempfile.TemporaryDirectory() as scratch:
        log_path = os.path.join(scratch, "report.sarif")
        with open(log_path, "wb") as f:
            f.write(run.stdout)
        log = json.loads(run.stdout)
        findings += own_findings(log, expected_results)
        findings += fix_findings(log, workdir, int(os.environ.get("ORVEX_SARIF_FIXES", "0")))
        findings += multitool_findings(multitool, log_path, scratch)
    if findings:
        sys.stderr.write("\n".join(findings) + "\n")
        return 1
    print(f"sarif: {expected_results} results, multitool found nothing to object to")
    return 0


if __name__ == "__main__":
    sys.exit(main())

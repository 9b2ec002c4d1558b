"""Runs orvex-config-validate --format sarif, has Microsoft's SARIF
multitool validate the log, and checks what a code-scanning consumer relies
on: a rule for every result, levels, relative artifact URIs, regions.

usage: check_sarif.py TOOL MULTITOOL WORKDIR STATUS RESULTS [ARG...]
"""
import json
import os
import subprocess
import sys
import tempfile

# The multitool's own advice that the tool has no web page to point to.
TOLERATED = {"SARIF2005"}


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
        findings += multitool_findings(multitool, log_path, scratch)
    if findings:
        sys.stderr.write("\n".join(findings) + "\n")
        return 1
    print(f"sarif: {expected_results} results, multitool found nothing to object to")
    return 0


if __name__ == "__main__":
    sys.exit(main())

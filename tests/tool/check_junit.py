"""Runs orvex-config-validate --format junit and reads the report with
junitparser, as a CI test-report viewer would.

usage: check_junit.py TOOL WORKDIR STATUS SUITES CASES FAILURES ERRORS [ARG...]
"""
import subprocess
import sys

from junitparser import Error, Failure, JUnitXml, TestSuite


def main():
    tool, workdir = sys.argv[1], sys.argv[2]
    status, suites, cases, failures, errors = (int(a) for a in sys.argv[3:8])
    run = subprocess.run([tool, "--format", "junit", *sys.argv[8:]], cwd=workdir,
                         capture_output=True)
    problems = []
    if run.returncode != status:
        problems.append(f"exit status {run.returncode}, expected {status}")
    xml = JUnitXml.fromstring(run.stdout.decode("utf-8"))
    found = list(xml) if isinstance(xml, JUnitXml) else [xml]
    found = [s for s in found if isinstance(s, TestSuite)]
    counted = {"suites": len(found), "cases": 0, "failures": 0, "errors": 0}
    for suite in found:
        for case in suite:
            counted["cases"] += 1
            for result in case.result:
                if isinstance(result, Failure):
                    counted["failures"] += 1
                elif isinstance(result, Error):
                    counted["errors"] += 1
                if not (result.message or "").strip() or not (result.text or "").strip():
                    problems.append(f"{case.name}: {result._tag} without message or issue lines")
                # Each issue is one line of its own file: document text cannot forge more.
                for line in (result.text or "").splitlines():
                    if not line.startswith(case.name + ":"):
                        problems.append(f"{case.name}: line not of this file: {line!r}")
        if (suite.tests, suite.failures, suite.errors) != (
                counted["cases"], counted["failures"], counted["errors"]):
            problems.append(f"suite attributes {suite.tests}/{suite.failures}/{suite.errors} "
                            "disagree with its test cases")
    expected = {"suites": suites, "cases": cases, "failures": failures, "errors": errors}
    if counted != expected:
        problems.append(f"counted {counted}, expected {expected}")
    if problems:
        sys.stderr.write("\n".join(problems) + "\n--- report ---\n" + run.stdout.decode() +
                         run.stderr.decode())
        return 1
    print(f"junit: {counted}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

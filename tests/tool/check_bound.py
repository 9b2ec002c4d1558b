"""Checks one report format on a bridges file of N empty groups and a member
repeated 8 N times (about 1 MB at N = 20,000, an issue every few bytes): the
file's issues are cut at the bound, the report says how many were not shown,
and the counts and exit status are those of every issue.

usage: check_bound.py TOOL FORMAT N [--memory-limit]

The expected counts come from two small files of the same shape, whose
issues are all listed (fewer than the bound): the issues grow by the same number for each N (at this size
the schema's work limit is not reached). With --memory-limit the large check
runs with 1 GiB of address space.
"""
import json
import pathlib
import re
import resource
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

BOUND = 1000


def write_groups(path, count):
    path.write_text('{"groups":[' + ",".join(["{}"] * count) + "]" + ',"a":0' * (8 * count) + "}")


def run(tool, path, *args, limit=False):
    def restrict():
        resource.setrlimit(resource.RLIMIT_AS, (1 << 30, 1 << 30))
    return subprocess.run([tool, "--schema", "BridgingConfiguration", *args, str(path)],
                          capture_output=True, preexec_fn=restrict if limit else None)


def expected_counts(tool, folder, groups):
    counts = []
    for small in (10, 20):
        path = folder / f"small-{small}.json"
        write_groups(path, small)
        summary = json.loads(run(tool, path, "--format", "json").stdout)["summary"]
        counts.append([summary[key] for key in ("errors", "warnings", "info")])
    return [a + (b - a) * (groups - 10) // 10 for a, b in zip(*counts)]


def check_text(out, name, total, counts, problems):
    issues = [line for line in out.splitlines() if re.match(r"^.+:\d+:\d+: (error|warning|note): ", line)]
    if len(issues) != BOUND:
        problems.append(f"{len(issues)} issue lines, expected {BOUND}")
    note = f"{name}: {total - BOUND} more issues not shown; --max-issues 0 shows all"
    if note not in out.splitlines():
        problems.append(f"no line {note!r}")
    summary = (f"1 file checked: {counts[0]} errors, {counts[1]} warnings, {counts[2]} notes; "
               f"{total - BOUND} issues not shown")
    if out.splitlines()[-1] != summary:
        problems.append(f"summary {out.splitlines()[-1]!r}, expected {summary!r}")


def check_json(out, name, total, counts, problems):
    report = json.loads(out)
    file = report["files"][0]
    summary = report["summary"]
    found = (len(file["issues"]), file.get("notShown"), summary.get("notShown"),
             [summary[key] for key in ("errors", "warnings", "info")])
    if found != (BOUND, total - BOUND, total - BOUND, counts):
        problems.append(f"issues, notShown, summary {found}, expected "
                        f"{(BOUND, total - BOUND, total - BOUND, counts)}")


def check_sarif(out, name, total, counts, problems):
    run_ = json.loads(out)["runs"][0]
    if len(run_["results"]) != BOUND:
        problems.append(f"{len(run_['results'])} results, expected {BOUND}")
    texts = [n["message"]["text"] for i in run_.get("invocations", [])
             for n in i.get("toolExecutionNotifications", [])]
    if texts != [f"{name}: {total - BOUND} more issues not shown; --max-issues 0 shows all"]:
        problems.append(f"notifications {texts}")


def check_junit(out, name, total, counts, problems):
    failure = ElementTree.fromstring(out).find("testsuite/testcase/failure")
    lines = failure.text.splitlines()
    if failure.get("message") != f"{total} issues" or len(lines) != BOUND + 1:
        problems.append(f"failure message {failure.get('message')!r} with {len(lines)} lines, "
                        f"expected '{total} issues' with {BOUND + 1}")
    if lines[-1] != f"{name}: {total - BOUND} more issues not shown; --max-issues 0 shows all":
        problems.append(f"last line {lines[-1]!r}")


def check_github(out, name, total, counts, problems):
    lines = out.splitlines()
    commands = [line for line in lines if re.match(r"^::(error|warning|notice) file=", line)]
    notice = (f"::notice file={name},title=issues not shown::{name}: {total - BOUND} more issues "
              "not shown; --max-issues 0 shows all")
    if len(commands) != BOUND + 1 or commands[-1] != notice:
        problems.append(f"{len(commands)} commands ending {commands[-1:]}, expected {BOUND} "
                        f"and {notice!r}")
    if not lines[-1].startswith(f"1 file checked: {counts[0]} errors, "):
        problems.append(f"summary {lines[-1]!r}")


def main():
    tool, form, groups = sys.argv[1], sys.argv[2], int(sys.argv[3])
    limit = "--memory-limit" in sys.argv[4:]
    with tempfile.TemporaryDirectory() as temporary:
        folder = pathlib.Path(temporary)
        counts = expected_counts(tool, folder, groups)
        total = sum(counts)
        path = folder / "groups.json"
        write_groups(path, groups)
        done = run(tool, path, "--format", form, limit=limit)
        problems = []
        if total <= BOUND:
            problems.append(f"only {total} issues expected: no bound to check")
        if done.returncode != 1:
            problems.append(f"exit status {done.returncode}, expected 1: {done.stderr[-300:]}")
        else:
            check = globals()["check_" + form]
            check(done.stdout.decode("utf-8"), str(path), total, counts, problems)
    if problems:
        print(f"--format {form}, N = {groups}:", *problems, sep="\n  ")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

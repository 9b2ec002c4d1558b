"""--config-test, --display-name and -q end to end, on a scratch deployment
with absolute paths: which bridges file the test reads (as the server opens
it), what goes to standard error and nothing to standard output, the last
line, the exit status, and a new version checked in a temporary file
reported and judged under the destination's name.

usage: check_config_test.py TOOL EXAMPLES
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

PROGRAM = "orvex-config-validate"


def write_server(path, examples, bridges_name):
    with open(os.path.join(examples, "good", "orvexbridged_conf.json")) as f:
        server = json.load(f)
    if bridges_name is None:
        del server["bridgingConfigurationFileName"]
    else:
        server["bridgingConfigurationFileName"] = bridges_name
    with open(path, "w") as f:
        json.dump(server, f, indent=2)


def scratch_deployment(root, examples):
    for folder in ("etc", "shared", "new"):
        os.makedirs(os.path.join(root, folder))
    good = os.path.join(examples, "good", "bridges.json")
    broken = os.path.join(examples, "broken", "bridges.json")
    shutil.copy(good, os.path.join(root, "etc", "bridges.json"))
    shutil.copy(good, os.path.join(root, "shared", "b.json"))
    shutil.copy(broken, os.path.join(root, "etc", "broken.json"))
    shutil.copy(broken, os.path.join(root, "new", "source"))
    # A new server file, in a temporary folder with no bridges file.
    write_server(os.path.join(root, "new", "server.json"), examples, None)
    shutil.copy(os.path.join(examples, "broken", "orvexbridged_conf.json"),
                os.path.join(root, "new", "broken-server.json"))
    os.mkfifo(os.path.join(root, "new", "fifo"))


def cases(root):
    etc = os.path.join(root, "etc")
    server = os.path.join(etc, "orvexbridged_conf.json")
    ok_lines = [
        rf"^{PROGRAM}: the configuration file {re.escape(server)} syntax is ok$",
    ]

    def passed(bridges):
        return ok_lines + [
            rf"^{PROGRAM}: the configuration file {re.escape(bridges)} syntax is ok$",
            rf"\A(?:.*\n)*{PROGRAM}: configuration file {re.escape(server)} with "
            rf"{re.escape(bridges)} test is successful\n\Z",
        ]

    failed = rf"{PROGRAM}: configuration file {re.escape(server)}( with \S+)? test failed\n\Z"
    broken_ref = rf"^{re.escape(os.path.join(etc, 'broken.json'))}:56:38: error: .*\[missing_group_ref\]$"
    typo = os.path.join(root, "typo.json")
    substituted_ref = rf"^{re.escape(os.path.join(etc, 'bridges.json'))}:56:38: error: .*\[missing_group_ref\]$"
    # (name, bridges name in the server file, arguments, status, stderr patterns, stderr must not match)
    return [
        ("default bridges.json beside the server", None, ["-t", server], 0,
         passed(os.path.join(etc, "bridges.json")), []),
        ("an absolute name as it stands", os.path.join(root, "shared", "b.json"),
         ["--config-test", server], 0, passed(os.path.join(root, "shared", "b.json")), []),
        ("a relative name against the server's folder, even outside it", "../shared/b.json",
         ["--config-test=" + server], 0, passed(os.path.join(etc, "../shared/b.json")), []),
        ("a broken bridges file", "broken.json", ["-t", server], 1,
         [broken_ref, r"^\S+: warning: ", failed], []),
        ("a bridges file that is not there", "gone.json", ["-t", server], 1,
         [r"error: .*gone\.json.* \[missing_bridges_file\]$", failed], ["syntax is ok"]),
        ("-q on a good pair says nothing", None, ["-q", "-t", server], 0, [r"\A\Z"], []),
        ("-q keeps only errors", "broken.json", ["-t", server, "--quiet"], 1,
         [broken_ref, failed], [r": (warning|note): ", "syntax is ok"]),
        ("--fail-on-warning under -q keeps the warnings that fail", "broken.json",
         ["-q", "--fail-on-warning", "-t", server], 1, [r": warning: ", failed], [r": note: "]),
        ("an unreadable server file", None, ["-t", os.path.join(etc, "none.json")], 2,
         [r"none\.json: error: cannot read file: .*\[read_error\]$",
          rf"{PROGRAM}: configuration file \S*none\.json test failed\n\Z"], []),
        ("a new server file is judged where it will live", None,
         ["-t", os.path.join(root, "new", "server.json"), "--display-name", server], 0,
         passed(os.path.join(etc, "bridges.json")), ["new/server"]),
        ("a broken new server file is reported under its destination", None,
         ["-t", os.path.join(root, "new", "broken-server.json"), "--display-name", server], 1,
         [rf"^{re.escape(server)}:25:20: error: .*\[schema\]$", failed], ["new/"]),
        # Hostile inputs: nothing blocks on a FIFO or reads a device without end,
        # and a name's control characters never reach the terminal raw.
        ("a device as the server file", None, ["-t", "/dev/zero"], 2,
         [r"^/dev/zero: error: cannot read file: not a regular file \[read_error\]$"], []),
        ("a FIFO as the server file", None, ["-t", os.path.join(root, "new", "fifo")], 2,
         [r"fifo: error: cannot read file: not a regular file \[read_error\]$"], []),
        ("control characters in the name the server file is judged by", None,
         ["-t", server, "--display-name", "/nowhere/\x1b[31mred\n/orvexbridged_conf.json"], 1,
         [r"^/nowhere/\\u001b\[31mred\\u000a/orvexbridged_conf\.json: error: .*\[missing_bridges_file\]$"],
         ["\x1b", "red\n"]),
        ("a new bridges file read in place of the server's", None,
         ["-t", server, "--bridges", os.path.join(root, "new", "source")], 1,
         [substituted_ref, failed], ["new/source"]),
        # A --bridges FILE that cannot be read is blamed by its own name,
        # whether or not the file the server names is there.
        ("a --bridges file that is not there", None,
         ["-t", server, "--bridges", typo], 2,
         [rf"^{re.escape(typo)}: error: cannot read file: No such file or directory \[read_error\]$",
          rf"with {re.escape(typo)} test failed\n\Z"],
         [r"etc/bridges\.json", "missing_bridges_file"]),
        ("a --bridges file that is not there, nor the server's", "gone.json",
         ["-t", server, "--bridges", typo], 2,
         [rf"^{re.escape(typo)}: error: cannot read file: .*\[read_error\]$", failed],
         ["gone.json", "missing_bridges_file"]),
    ]


def check_cases(tool, root, examples):
    failures = []
    server = os.path.join(root, "etc", "orvexbridged_conf.json")
    for name, member, args, status, wanted, unwanted in cases(root):
        write_server(server, examples, member)
        run = subprocess.run([tool, *args], capture_output=True, text=True, timeout=60)
        problems = []
        if run.returncode != status:
            problems.append(f"exit status {run.returncode}, expected {status}")
        if run.stdout:
            problems.append("standard output is not empty")
        problems += [f"no match for {p!r}" for p in wanted if not re.search(p, run.stderr, re.M)]
        problems += [f"unwanted {p!r}" for p in unwanted if re.search(p, run.stderr, re.M)]
        if problems:
            failures.append(f"{name}: {args}\n  " + "\n  ".join(problems) +
                            f"\n--- stderr ---\n{run.stderr}")
    return failures


def check_file_mode(tool, root):
    """--display-name and -q in an ordinary check, and what they refuse."""
    source = os.path.join(root, "new", "source")
    dest = os.path.join(root, "etc", "bridges.json")
    server = os.path.join(root, "etc", "orvexbridged_conf.json")
    rows = [
        # (arguments, status, stdout pattern, stdout must not match)
        ([source, "--display-name", dest], 1,
         rf"^{re.escape(dest)}:56:38: error: .*\[missing_group_ref\]$", "new/source"),
        ([source], 2, r"\A\Z", None),
        (["-q", "--server", server, "--bridges", os.path.join(root, "etc", "broken.json")], 1,
         r"\[missing_group_ref\]$", r": (warning|note): |files? checked"),
        (["-q", "--server", server, "--bridges", dest], 0, r"\A\Z", None),
        (["-t", server, dest], 2, r"\A\Z", None),
        (["-t", "-"], 2, r"\A\Z", None),
        (["-t", server, "--format", "json"], 2, r"\A\Z", None),
        (["--display-name", dest, source, source], 2, r"\A\Z", None),
        (["--display-name", dest, root], 2, r"\A\Z", None),
        (["-q", "--format", "json", dest], 2, r"\A\Z", None),
    ]
    failures = []
    for args, status, wanted, unwanted in rows:
        run = subprocess.run([tool, *args], capture_output=True, text=True, timeout=60)
        if (run.returncode != status or not re.search(wanted, run.stdout, re.M) or
                (unwanted and re.search(unwanted, run.stdout, re.M)) or
                (status == 2 and "error: " not in run.stderr)):
            failures.append(f"{args}: exit status {run.returncode}, expected {status}\n"
                            f"--- stdout ---\n{run.stdout}--- stderr ---\n{run.stderr}")
    return failures


def main():
    tool, examples = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    with tempfile.TemporaryDirectory() as root:
        scratch_deployment(root, examples)
        failures = check_cases(tool, root, examples) + check_file_mode(tool, root)
    for failure in failures:
        print("FAIL:", failure)
    if failures:
        sys.exit(1)
    print("config test: every case held")


if __name__ == "__main__":
    main()

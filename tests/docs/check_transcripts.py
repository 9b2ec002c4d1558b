#!/usr/bin/env python3
"""Runs the console transcripts of the README and the docs/ pages and compares
what they show with what the tool prints now.

A transcript is a ```console block: lines starting with "$ " are commands,
run with bash in the source folder with the built tool first on PATH; the
lines up to the next command are the expected output (standard output and
standard error together). "$ echo $?" sees the previous command's status. A
line holding only "..." stands for any number of left-out lines.

    check_transcripts.py TOOL SOURCE_DIR
"""
import glob
import os
import re
import subprocess
import sys


def blocks(path):
    """Yields (line number, [lines]) of every console block of a file."""
    lines = open(path, encoding="utf-8").read().split("\n")
    number = 0
    while number < len(lines):
        if lines[number].strip() == "```console":
            start = number + 1
            end = start
            while end < len(lines) and lines[end].strip() != "```":
                end += 1
            yield start + 1, lines[start:end]
            number = end
        number += 1


def steps(block):
    """Splits a block into (command, expected output lines)."""
    result = []
    for line in block:
        if line.startswith("$ "):
            result.append((line[2:], []))
        elif result:
            result[-1][1].append(line)
        else:
            raise ValueError("output before the first command: " + line)
    return result


def pattern(expected):
    parts = []
    for line in expected:
        if line.strip() == "...":
            parts.append(r"(?:.*\n)*?")
        else:
            parts.append(re.escape(line) + r"\n")
    return re.compile("".join(parts))


def run_block(block, env, source):
    """Returns a list of failure descriptions for one block."""
    failures = []
    status = 0
    for command, expected in steps(block):
        # "(exit N)" first, so that "$?" in the command is the previous status.
        done = subprocess.run(["bash", "-c", f"(exit {status}); {command}"], cwd=source, env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        status = done.returncode
        actual = done.stdout.decode("utf-8", "replace")
        if not pattern(expected).fullmatch(actual):
            failures.append(f"$ {command}\n--- documented\n" + "\n".join(expected) +
                            "\n--- printed\n" + actual)
    return failures


def main():
    tool, source = sys.argv[1], sys.argv[2]
    env = dict(os.environ)
    env["PATH"] = os.path.dirname(os.path.abspath(tool)) + os.pathsep + env.get("PATH", "")
    env.pop("NO_COLOR", None)
    files = [os.path.join(source, "README.md")] + sorted(glob.glob(os.path.join(source, "docs", "*.md")))
    count = 0
    failed = 0
    for path in files:
        for line, block in blocks(path):
            count += 1
            for failure in run_block(block, env, source):
                failed += 1
                print(f"{os.path.relpath(path, source)}:{line}: transcript differs\n{failure}")
    print(f"{count} transcripts checked, {failed} commands differ")
    if count == 0:
        print("no transcripts found")
        return 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

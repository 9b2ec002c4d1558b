#!/usr/bin/env python3
"""Hostile ids, member names and file names through the subcommands, judged
by what reads their output: graphviz dot draws each id as written; cmark
renders no heading or link that a name brought; a terminal gets no control
character and no forged line. Also fmt given one file twice, and the
subcommands' words (--format, note) with their older spellings. Every run
of the tool has a time limit.

    check_review_hostile.py TOOL
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

TOOL = os.path.abspath(sys.argv[1])
FAILURES = []
LIMIT = 20  # seconds for one run; the slowest case takes well under one


def run(args, cwd=None, stdin=None):
    try:
        done = subprocess.run(args, cwd=cwd, input=stdin, capture_output=True,
                              timeout=LIMIT)
    except subprocess.TimeoutExpired:
        return None, b"", b"timed out"
    return done.returncode, done.stdout, done.stderr


def check(condition, what, detail=b""):
    if not condition:
        if isinstance(detail, bytes):
            detail = detail.decode("utf-8", "replace")
        FAILURES.append(what + ("\n" + detail[-2000:] if detail else ""))


def write_json(path, value, indent=4):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as out:
        json.dump(value, out, indent=indent, ensure_ascii=False)


# Bytes a terminal obeys: C0 controls but the line feed, DEL and C1 controls.
CONTROL = re.compile(rb"[\x00-\x09\x0b-\x1f\x7f]|\xc2[\x80-\x9f]")


def check_dot(scratch):
    """Each id is drawn as written: Graphviz reads HTML entities and its own
    backslash escapes in labels, so the DOT must code them."""
    ids = ["A&amp;B", "A&B", "&lt;none&gt;", "&#60;b&#62;", "x\\Ny\\l", 'q"uote\\', "é &copy;"]
    bridges = {"groups": [{"id": each, "type": 1} for each in ids], "bridges": []}
    path = os.path.join(scratch, "dot", "bridges.json")
    write_json(path, bridges)
    status, dot, err = run([TOOL, "graph", path])
    check(status == 0, "graph of hostile ids: status %r" % status, err)
    status, svg, err = run(["dot", "-Tsvg"], stdin=dot)
    check(status == 0, "dot -Tsvg refused the graph", err + dot)
    if status != 0:
        return
    space = {"svg": "http://www.w3.org/2000/svg"}
    drawn = []
    for node in ElementTree.fromstring(svg).iter("{http://www.w3.org/2000/svg}g"):
        if node.get("class") == "node":
            texts = node.findall("svg:text", space)
            drawn.append(texts[0].text if texts else "")
    for each in ids:
        check("group '%s'" % each in drawn, "dot draws the id %r as written" % each,
              repr(drawn))


def compare_versions(scratch, name, old, new, old_server=None):
    """Two versions of a bridges file under folder `name`; returns both paths."""
    paths = []
    for version, value in (("old", old), ("new", new)):
        path = os.path.join(scratch, name, version, "bridges.json")
        write_json(path, value)
        if old_server is not None:
            write_json(os.path.join(scratch, name, version, "orvexbridged_conf.json"), old_server)
        paths.append(path)
    return paths


def hostile_versions():
    group = {"id": "g1", "type": 1, "vortapoints": [{"id": "v", "host": {"address": "h"}}]}
    old = {"groups": [group], "bridges": [{"id": "b1", "groups": ["g1"]}]}
    new = json.loads(json.dumps(old))
    forged = "x\nnew issue: bridges.json:1:1: error: all clear [schema]\n# Reviewed: safe to merge"
    new["groups"][0][forged] = 1
    new["groups"][0]["\x1b]0;pwned\x07\x1b[2J\x9b31m"] = "\x1b[31mred"
    new["groups"].append({"id": "\x1b[1m`\n[approve](https://evil.example/)", "type": 1})
    new["bridges"][0]["groups"].append("gone\r\nissue gone: everything")
    return old, new


def check_compare_text(scratch):
    """No control character reaches the terminal and no line is forged."""
    old, new = hostile_versions()
    folder = "evil\x1b[31m\nnew issue: forged"
    before, after = compare_versions(scratch, folder, old, new)
    status, out, err = run([TOOL, "compare", before, after])
    check(status == 1, "compare of hostile names: status %r" % status, err)
    check(not CONTROL.search(out) and not CONTROL.search(err),
          "compare writes control characters to the terminal", repr(out + err))
    counted = re.search(rb"(\d+) new issues?, (\d+) issues? gone\n$", out)
    check(counted is not None, "compare's count line", out)
    if counted:
        lines = out.split(b"\n")
        check(sum(line.startswith(b"new issue: ") for line in lines) == int(counted.group(1)) and
              sum(line.startswith(b"issue gone: ") for line in lines) == int(counted.group(2)),
              "a name forged a report line", out)

    # git hands its driver the repository's path: shown escaped as well.
    path = "evil\x1b]0;pwned\x07\nnew issue: forged/bridges.json"
    status, out, err = run([TOOL, "compare", "--git", path, before, "0" * 40, "100644", after,
                            "0" * 40, "100644"])
    check(status == 0, "compare --git of hostile names: status %r" % status, err)
    check(not CONTROL.search(out) and b"\nnew issue: forged" not in out,
          "compare --git writes the path raw", repr(out))


def check_compare_markdown(scratch):
    """cmark renders the three sections and nothing a name or file name
    brought: no heading, no link, no list item of its own."""
    old, new = hostile_versions()
    folder = "md`\n# Reviewed: safe to merge\n[approve](https://evil.example/)\n``"
    before, after = compare_versions(scratch, folder, old, new)
    status, markdown, err = run([TOOL, "compare", "--as", "markdown", before, after])
    check(status == 1, "compare --as markdown: status %r" % status, err)
    status, html, err = run(["cmark"], stdin=markdown)
    check(status == 0, "cmark failed", err)
    check(html.count(b"<h3>") == 3 and not re.search(rb"<h[1245]", html) and b"<a " not in html,
          "a name made a heading or link in the Markdown", html)
    check(not CONTROL.search(markdown), "the Markdown holds control characters", repr(markdown))
    items = html.count(b"<li>")
    check(items == markdown.count(b"\n- "), "a name made a list item", html)

    # A run of backticks as long as a document allows is fenced in linear time.
    wide = json.loads(json.dumps(old))
    wide["groups"][0]["`" * 1000000] = 1
    before, after = compare_versions(scratch, "wide", old, wide)
    status, markdown, err = run([TOOL, "compare", "--as", "markdown", before, after])
    check(status == 1, "compare --as markdown of a long backtick run: status %r" % status, err)


def check_fmt_twice(scratch):
    """One file named twice is formatted and listed once, and nothing is
    refused (status 3 means nothing was written)."""
    value = {"bridges": [], "groups": [{"type": 1, "id": "g"}]}
    cases = [
        (["fmt", "a/bridges.json", "./a/bridges.json"], 0, b""),
        (["fmt", "a/bridges.json", "link/bridges.json"], 0, b""),
        (["fmt", "--check", "a/bridges.json", "./a/bridges.json", "a/../a/bridges.json"], 1,
         b"a/bridges.json: not formatted\n"),
    ]
    for number, (args, expected, out_expected) in enumerate(cases):
        work = os.path.join(scratch, "fmt", str(number))
        write_json(os.path.join(work, "a", "bridges.json"), value)
        os.makedirs(os.path.join(work, "link"))
        os.symlink(os.path.join("..", "a", "bridges.json"),
                   os.path.join(work, "link", "bridges.json"))
        status, out, err = run([TOOL, *args], cwd=work)
        check(status == expected and out == out_expected and err == b"",
              "%s: status %r, expected %d" % (" ".join(args), status, expected), out + err)
        status, out, err = run([TOOL, "fmt", "--check", "a/bridges.json"], cwd=work)
        check((status == 0) == (args[1] != "--check"),
              "%s: the file is formatted %s" % (" ".join(args), "once" if expected == 0 else "not"),
              out + err)


def check_words(scratch):
    """The subcommands say --format and note as the check does; --as and
    info are read still, with the same outcome."""
    group = {"id": "g", "type": 1, "bridgeTargetOutputDetail": {"mode": 2},
             "vortapoints": [{"id": "v", "host": {"address": "h"}}]}
    old = {"groups": [group], "bridges": [{"id": "b", "groups": ["g"]}]}
    new = json.loads(json.dumps(old))
    new["groups"][0]["bridgeTargetOutputDetail"]["mode"] = 1  # mode 2 forces it: a note
    before, after = compare_versions(scratch, "words", old, new, old_server={"mode": 2})
    before, after = os.path.dirname(before), os.path.dirname(after)
    cases = [
        (["compare", "--fail-on-new", "note"], 1),
        (["compare", "--fail-on-new", "info"], 1),
        (["compare", "--fail-on-new=note"], 1),
        (["compare", "--fail-on-new", "warning"], 0),
        (["compare", "--fail-on-new", "notice"], 2),
        (["compare", "--format", "json"], 1),
        (["compare", "--format", "bogus"], 2),
        (["effective", "--format", "json"], 0),
        (["graph", "--format=mermaid"], 0),
    ]
    for args, expected in cases:
        operands = [before, after] if args[0] == "compare" else [after]
        status, out, err = run([TOOL, *args, *operands])
        check(status == expected, "%s: status %r, expected %d" % (" ".join(args), status, expected),
              out + err)
        if expected == 2:
            check(args[1].encode() in err, "%s: the error names the option" % " ".join(args), err)
        if "--format" in args:
            older = [word if word != "--format" else "--as" for word in args]
            check(run([TOOL, *older, *operands])[1] == out, "--as differs from --format", out)
    status, out, err = run([TOOL, "compare", before, after])
    check(re.search(rb"^new issue: .*: note: .*\[mode_force_mixed\]$", out, re.M) is not None,
          "compare calls a note a note", out)


def main():
    scratch = tempfile.mkdtemp()
    try:
        for step in (check_dot, check_compare_text, check_compare_markdown, check_fmt_twice,
                     check_words):
            folder = os.path.join(scratch, step.__name__)
            os.makedirs(folder)
            step(folder)
    finally:
        shutil.rmtree(scratch)
    for failure in FAILURES:
        print("FAIL:", failure)
    if not FAILURES:
        print("hostile subcommands: dot, compare text, --git and Markdown (cmark), fmt, words")
    return 1 if FAILURES else 0


sys.exit(main())

#!/usr/bin/env python3
"""The subcommands against their real consumers: git (an external diff
driver), python3-jsonpatch (the RFC 6902 output), cmark (the Markdown),
graphviz dot (the DOT), jq -S (fmt keeps every value), pre-commit (the fmt
hook). Works on copies in a scratch folder.

    check_review.py TOOL SOURCE_DIR
"""
import decimal
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

import jsonpatch

TOOL, SOURCE = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
FAILURES = []


def run(args, cwd=None, env=None, stdin=None):
    done = subprocess.run(args, cwd=cwd, env=env, input=stdin, capture_output=True, text=True,
                          timeout=300)
    return done.returncode, done.stdout, done.stderr


def tool(*args, cwd=None):
    return run([TOOL, *args], cwd=cwd)


def check(condition, what, detail=""):
    if not condition:
        FAILURES.append(what + ("\n" + detail if detail else ""))


def jq_sorted(path):
    with open(path, "rb") as text:
        done = subprocess.run(["jq", "-S", "."], stdin=text, capture_output=True)
    return done.stdout if done.returncode == 0 else None


def write_json(path, value):
    with open(path, "w", encoding="utf-8") as out:
        json.dump(value, out, indent=4)


def check_fmt(scratch):
    """Every example and fixture: formatted once, then unchanged, jq -S
    equal; one that does not parse is refused and left as it was."""
    inputs = sorted(glob.glob(os.path.join(SOURCE, "examples", "*", "*.json")) +
                    glob.glob(os.path.join(SOURCE, "tests", "**", "*.json"), recursive=True))
    formatted = refused = 0
    for number, source in enumerate(inputs):
        folder = os.path.join(scratch, "fmt", str(number))
        os.makedirs(folder)
        copy = os.path.join(folder, os.path.basename(source))
        shutil.copyfile(source, copy)
        before = open(copy, "rb").read()
        sorted_before = jq_sorted(copy)
        status, out, err = tool("fmt", copy)
        if status == 3:
            refused += 1
            check(open(copy, "rb").read() == before, "fmt rewrote a refused file: " + source)
            check("cannot format" in err, "fmt refused without saying why: " + source, err)
            continue
        check(status == 0, "fmt " + source + ": status %d" % status, err)
        formatted += 1
        once = open(copy, "rb").read()
        check(once.endswith(b"\n") == before.endswith(b"\n"), "final line break of " + source)
        check(once.startswith(b"\xef\xbb\xbf") == before.startswith(b"\xef\xbb\xbf"),
              "byte-order mark of " + source)
        if before.find(b"\r\n") != -1 and before.find(b"\r\n") < before.find(b"\n") + 1:
            check(once.count(b"\n") == once.count(b"\r\n"), "CRLF line ends of " + source)
        status, out, err = tool("fmt", "--check", copy)
        check(status == 0 and out == "", "fmt not idempotent on " + source, out + err)
        tool("fmt", copy)
        check(open(copy, "rb").read() == once, "a second fmt changed " + source)
        if sorted_before is not None:
            check(jq_sorted(copy) == sorted_before, "fmt changed a value of " + source)
    print("fmt: %d formatted, %d refused" % (formatted, refused))
    check(formatted > 40 and refused > 3, "fmt: %d formatted, %d refused" % (formatted, refused))

    # --check and --diff on an unformatted file; the diff applies with git.
    folder = os.path.join(scratch, "fmt-diff")
    os.makedirs(folder)
    shutil.copyfile(os.path.join(SOURCE, "examples", "broken", "bridges.json"),
                    os.path.join(folder, "bridges.json"))
    status, out, err = tool("fmt", "--check", "bridges.json", cwd=folder)
    check(status == 1 and out == "bridges.json: not formatted\n", "fmt --check", out + err)
    status, diff, err = tool("fmt", "--diff", "bridges.json", cwd=folder)
    check(status == 1 and diff.startswith("--- a/bridges.json\n"), "fmt --diff", diff + err)
    run(["git", "init", "-q", "."], cwd=folder)
    status, out, err = run(["git", "apply", "-"], cwd=folder, stdin=diff)
    check(status == 0, "git apply of fmt --diff", err)
    status, out, err = tool("fmt", "--check", "bridges.json", cwd=folder)
    check(status == 0, "the applied fmt --diff is not the formatted text", out + err)

    # A file named like a subcommand is still checked, as ./NAME.
    shutil.copyfile(os.path.join(SOURCE, "examples", "broken", "bridges.json"),
                    os.path.join(folder, "fmt"))
    status, out, err = tool("--schema", "BridgingConfiguration", "./fmt", cwd=folder)
    check(status == 1 and "./fmt:" in out and "[missing_group_ref]" in out,
          "a file named fmt is checked as ./fmt", out + err)


def versions(scratch):
    """Versions of the example bridges file, as (name, old, new)."""
    good = json.load(open(os.path.join(SOURCE, "examples", "good", "bridges.json")))
    reordered = json.loads(json.dumps(good))
    reordered["groups"].reverse()
    deleted = json.loads(json.dumps(good))
    del deleted["groups"][1]  # {field-crews}: a bridge still names it
    renamed = json.loads(json.dumps(good))
    renamed["groups"][3]["id"] = "{paging-renamed}"
    mixed = json.loads(json.dumps(deleted))
    mixed["groups"].reverse()
    mixed["groups"][0]["type"] = 2.0
    mixed["groups"].insert(1, {"id": "{new}", "type": 3, "rx": {"port": 1}})
    mixed["bridges"][0]["name"] = "renamed bridge"
    cases = {"reordered": reordered, "deleted": deleted, "renamed": renamed, "mixed": mixed}
    paths = {}
    for name, value in [("good", good)] + list(cases.items()):
        folder = os.path.join(scratch, "versions", name)
        os.makedirs(folder)
        paths[name] = os.path.join(folder, "bridges.json")
        write_json(paths[name], value)
    return paths


def check_compare(scratch):
    paths = versions(scratch)
    old = paths["good"]
    status, out, err = tool("compare", old, paths["reordered"])
    check(status == 0 and "0 changes, 0 new issues, 0 issues gone" in out,
          "a reordered array is no change", out + err)
    status, out, err = tool("compare", old, paths["deleted"])
    check(status == 1, "compare of a deleted group: status %d" % status, err)
    check("removed group '{field-crews}' /groups/1" in out, "the removed group", out)
    check("new issue: " in out and "[missing_group_ref]" in out,
          "the bridge left dangling is a new issue", out)
    status, out, err = tool("compare", "--fail-on-new", "error", old, paths["deleted"])
    check(status == 1, "--fail-on-new error with a new error: %d" % status, out)
    status, out, err = tool("compare", "--fail-on-new", "error", old, paths["renamed"])
    check(status == 0, "--fail-on-new error without new errors: %d" % status, out)
    check("renamed group '{paging-renamed}' (was '{paging}')" in out, "the rename", out)
    status, out, err = tool("compare", old, os.path.join(scratch, "absent.json"))
    check(status == 2 and "cannot compare" in err, "trouble is status 2", err)

    for name in ("reordered", "deleted", "renamed", "mixed"):
        status, patch, err = tool("compare", "--as", "patch", old, paths[name])
        check(status in (0, 1), "--as patch " + name, err)
        document = json.load(open(old))
        applied = jsonpatch.apply_patch(document, json.loads(patch))
        target = os.path.join(scratch, "applied-" + name + ".json")
        write_json(target, applied)
        check(jq_sorted(target) == jq_sorted(paths[name]),
              "the patch does not turn old into new: " + name, patch)

    status, out, err = tool("compare", "--as", "json", old, paths["mixed"])
    report = json.loads(out)
    check(report["same"] is False and any(c["kind"] == "added" and c["id"] == "{new}"
                                          for c in report["changes"]), "JSON changes", out)
    check(any(i["code"] == "missing_group_ref" and i["element"] == "bridge"
              for i in report["newIssues"]), "JSON new issues", out)

    status, markdown, err = tool("compare", "--as", "markdown", old, paths["deleted"])
    status, html, err = run(["cmark"], stdin=markdown)
    check(status == 0 and "<h3>Configuration changes</h3>" in html and
          "<code>missing_group_ref</code>" in html and html.count("<li>") >= 2,
          "cmark rendering of the Markdown", html)

    check_exact_numbers(scratch)

    status, out, err = tool("compare", os.path.join(SOURCE, "examples", "good"),
                            os.path.join(SOURCE, "examples", "broken"))
    check(status == 1 and "orvexbridged_conf.json: changed /mode: 3 -> 2" in out,
          "compare of two deployment folders", out + err)


def check_exact_numbers(scratch):
    """Numbers beyond a double: told apart, and the patch writes them as
    written (Python reads integers and, as decimals, fractions exactly)."""
    rows = [  # (old, new, same)
        ("18446744073709551616", "18446744073709551617", False),
        ("-18446744073709551617", "-18446744073709551618", False),
        ("1.00000000000000000001", "1.00000000000000000002", False),
        ("18446744073709551617", "18446744073709551617", True),
        ("1.00000000000000000001", "1.000000000000000000010", True),
    ]
    template = '{"groups": [{"id": "a", "type": 1, "rx": {"port": 1}, "x": %s}], "y": [%s]}'
    for number, (old, new, same) in enumerate(rows):
        paths = []
        for side, value in (("old", old), ("new", new)):
            folder = os.path.join(scratch, "numbers", str(number), side)
            os.makedirs(folder)
            paths.append(os.path.join(folder, "bridges.json"))
            with open(paths[-1], "w") as out:
                out.write(template % (value, value))
        status, out, err = tool("compare", *paths)
        check(status == (0 if same else 1) and ("0 changes" in out) == same,
              "compare %s -> %s: status %d" % (old, new, status), out + err)
        status, patch, err = tool("compare", "--as", "patch", *paths)
        read = lambda path: json.load(open(path), parse_float=decimal.Decimal)
        applied = jsonpatch.apply_patch(read(paths[0]), json.loads(patch, parse_float=decimal.Decimal))
        check(applied == read(paths[1]) and (patch.strip() == "[]") == same,
              "the patch of %s -> %s does not turn old into new" % (old, new), patch + err)


def deployment(folder, mode, groups):
    """A server file of this mode and a bridges file with one bridge that
    joins every group."""
    os.makedirs(folder, exist_ok=True)
    write_json(os.path.join(folder, "orvexbridged_conf.json"), {"mode": mode, "enginePolicy": {}})
    write_json(os.path.join(folder, "bridges.json"), {
        "groups": groups, "bridges": [{"id": "b1", "groups": [g["id"] for g in groups]}]})
    return folder


def audio(group_id, output_mode=None):
    group = {"id": group_id, "type": 1, "rx": {"port": 42100}}
    if output_mode is not None:
        group["bridgeTargetOutputDetail"] = {"mode": output_mode}
    return group


def check_judged_with_deployment(scratch):
    """A lone server or bridges file is judged with the other file of its
    deployment, by every subcommand as by the check."""
    old = deployment(os.path.join(scratch, "old"), 2, [audio("a", 2)])
    new = deployment(os.path.join(scratch, "new"), 2,
                     [audio("a", 1), {"id": "r", "type": 3, "rx": {"port": 42200}}])
    old_bridges, new_bridges = (os.path.join(f, "bridges.json") for f in (old, new))
    old_server = os.path.join(old, "orvexbridged_conf.json")
    rows = [  # (arguments, status, wanted in stdout, unwanted in stdout)
        (["compare", "--fail-on-new", "error", old_bridges, new_bridges], 1,
         ["[mode_requires_audio_group]", "judged with the server file " + old_server], []),
        (["compare", "--as", "json", old_bridges, new_bridges], 1,
         ['"mode_requires_audio_group"'], ['"bom_type_mismatch"']),
        (["effective", new_bridges], 0,
         ["/groups/0/bridgeTargetOutputDetail/mode = 2 (written as 1, forced by server mode "
          "omMixedStream [mode_force_mixed])"], ["# no server file"]),
        (["effective", "--as", "json", new_bridges], 0, ['"mode_force_mixed"'], ['"server"']),
        (["graph", old_server], 0, ["bridge 'b1'", "group 'a'"], []),
        (["graph", "--impact", "a", old_server], 0, ["breaks 1 enabled bridge"], []),
        (["compare", "--fail-on-new", "error", old_server,
          os.path.join(new, "orvexbridged_conf.json")], 1,
         ["new issue: " + new_bridges, "[mode_requires_audio_group]"], []),
        (["compare", "--schema", "BridgingConfiguration", old_bridges, new_bridges], 1,
         ["0 new issues"], ["judged with"]),
    ]
    for args, status, wanted, unwanted in rows:
        got, out, err = tool(*args)
        check(got == status and all(w in out for w in wanted) and
              not any(u in out for u in unwanted),
              "%s: status %d, expected %d" % (" ".join(args), got, status), out + err)


def check_git_driver(scratch):
    paths = versions(scratch)
    repo = os.path.join(scratch, "repo")
    os.makedirs(repo)
    env = dict(os.environ, HOME=scratch, GIT_CONFIG_NOSYSTEM="1", GIT_AUTHOR_NAME="t",
               GIT_AUTHOR_EMAIL="t@example.invalid", GIT_COMMITTER_NAME="t",
               GIT_COMMITTER_EMAIL="t@example.invalid", PATH=os.path.dirname(TOOL) + ":" +
               os.environ["PATH"])
    git = lambda *args: run(["git", *args], cwd=repo, env=env)
    git("init", "-q", ".")
    git("config", "diff.orvex.command", "orvex-config-validate compare --git")
    with open(os.path.join(repo, ".gitattributes"), "w") as out:
        out.write("bridges.json diff=orvex\n")
    shutil.copyfile(paths["good"], os.path.join(repo, "bridges.json"))
    git("add", ".")
    git("commit", "-qm", "good")
    shutil.copyfile(paths["deleted"], os.path.join(repo, "bridges.json"))
    git("commit", "-qam", "delete a group")
    status, out, err = git("log", "-p", "--ext-diff", "-1")
    check(status == 0 and "compare a/bridges.json b/bridges.json" in out and
          "removed group '{field-crews}'" in out and "[missing_group_ref]" in out,
          "git log --ext-diff through the driver", out + err)
    shutil.copyfile(paths["reordered"], os.path.join(repo, "bridges.json"))
    status, out, err = git("diff", "--ext-diff")
    check(status == 0 and "added group '{field-crews}'" in out and
          "issue gone: " in out, "git diff --ext-diff through the driver", out + err)
    git("checkout", "-q", "bridges.json")

    # A mode 1 deployment: a new group that mode 1 takes is no error, though
    # alone (mode 3) it would be; a version that does not parse is shown as
    # the change, and the log goes on past it.
    east = deployment(os.path.join(repo, "east"), 1, [audio("ops", 1)])
    git("add", ".")
    git("commit", "-qm", "east")
    bridges = os.path.join(east, "bridges.json")
    grown = {"groups": [audio("ops", 1), audio("new")],
             "bridges": [{"id": "b1", "groups": ["ops", "new"]}]}
    for message, text in (("a new group", json.dumps(grown)), ("broken", '{"groups": ['),
                          ("mended", json.dumps(grown, indent=1))):
        with open(bridges, "w") as out:
            out.write(text)
        git("commit", "-qam", message)
    status, out, err = git("log", "-p", "--ext-diff", "--", "east/bridges.json")
    check(status == 0 and out.count("compare a/east/bridges.json b/east/bridges.json") == 4 and
          "not compared: " in out and "added group 'new'" in out and
          "bom_type_mismatch" not in out, "git log through a version that does not parse",
          out + err)


def check_graph_and_effective(scratch):
    for example in ("good", "broken"):
        folder = os.path.join(SOURCE, "examples", example)
        status, dot, err = tool("graph", folder)
        check(status == 0, "graph " + example, err)
        status, svg, err = run(["dot", "-Tsvg"], stdin=dot)
        check(status == 0 and "<svg" in svg, "dot -Tsvg refused the graph of " + example, err)
    status, dot, err = tool("graph", os.path.join(SOURCE, "examples", "broken"))
    check("duplicate group '{field-crews}'" in dot and "dangling" in dot,
          "the broken example's duplicate and dangling reference", dot)

    status, report, err = tool("--format", "json", os.path.join(SOURCE, "examples", "broken"))
    noted = set()
    for file in json.loads(report)["files"]:
        for issue in file["issues"]:
            if issue["code"].startswith("mode_force_"):
                noted.add((issue["code"], issue["path"]))
    status, out, err = tool("effective", "--as", "json", os.path.join(SOURCE, "examples", "broken"))
    forced = set()
    for value in json.loads(out)["values"]:
        if value["reason"] == "forced":
            forced.add((value["code"], "/".join(value["pointer"].split("/")[:3])))
    check(noted and forced == noted, "effective forces what the check notes",
          "%r\n%r" % (sorted(forced), sorted(noted)))


def check_deep(scratch):
    """Values nested 100,000 deep in both files: every subcommand ends with
    a status of its own (a refusal names the cause), never by a signal."""
    depth = 100000
    with open(os.path.join(scratch, "orvexbridged_conf.json"), "w") as out:
        out.write('{"mode":2,"x":' + '{"a":' * depth + "1" + "}" * depth + "}")
    with open(os.path.join(scratch, "bridges.json"), "w") as out:
        out.write('{"groups":[{"id":"a","type":[' + "[" * depth + "]" * depth + ']}],"bridges":[]}')
    bridges = os.path.join(scratch, "bridges.json")
    for args in (["effective", scratch], ["effective", "--as", "json", bridges],
                 ["graph", scratch], ["graph", "--as", "mermaid", bridges],
                 ["graph", "--as", "json", scratch], ["fmt", "--check", bridges],
                 ["compare", scratch, scratch]):
        status, out, err = tool(*args)
        # 3: fmt's refusal to rewrite a file
        check(status in (0, 1, 2, 3) and (status < 2 or "error: " in err),
              "%s on values nested %d deep: status %d" % (args[0], depth, status), err[-500:])
    status, out, err = tool("effective", scratch)
    check(status == 2 and "nests deeper than" in err, "effective refuses the deep values", err)


def check_hook(scratch):
    env = dict(os.environ, HOME=os.path.join(scratch, "home"),
               PRE_COMMIT_HOME=os.path.join(scratch, "pre-commit"), GIT_CONFIG_NOSYSTEM="1",
               GIT_AUTHOR_NAME="t", GIT_AUTHOR_EMAIL="t@example.invalid", GIT_COMMITTER_NAME="t",
               GIT_COMMITTER_EMAIL="t@example.invalid",
               PATH=os.path.dirname(TOOL) + ":" + os.environ["PATH"])
    os.makedirs(env["HOME"])
    hooks = os.path.join(scratch, "hooks")
    os.makedirs(hooks)
    shutil.copyfile(os.path.join(SOURCE, ".pre-commit-hooks.yaml"),
                    os.path.join(hooks, ".pre-commit-hooks.yaml"))
    run(["git", "init", "-q", "."], cwd=hooks, env=env)
    run(["git", "add", "."], cwd=hooks, env=env)
    run(["git", "commit", "-qm", "hooks"], cwd=hooks, env=env)
    repo = os.path.join(scratch, "hooked")
    os.makedirs(repo)
    run(["git", "init", "-q", "."], cwd=repo, env=env)
    shutil.copyfile(os.path.join(SOURCE, "examples", "good", "bridges.json"),
                    os.path.join(repo, "bridges.json"))
    run(["git", "add", "."], cwd=repo, env=env)
    try_hook = lambda: run(["pre-commit", "try-repo", hooks, "orvex-config-validate-fmt"],
                           cwd=repo, env=env)
    status, out, err = try_hook()
    check(status == 1 and "files were modified by this hook" in out,
          "the fmt hook formats an unformatted file", out + err)
    run(["git", "add", "."], cwd=repo, env=env)
    status, out, err = try_hook()
    check(status == 0 and "Passed" in out, "the fmt hook passes a formatted file", out + err)


def main():
    scratch = tempfile.mkdtemp()
    try:
        for step in (check_fmt, check_compare, check_judged_with_deployment, check_git_driver,
                     check_graph_and_effective, check_deep, check_hook):
            folder = os.path.join(scratch, step.__name__)
            os.makedirs(folder)
            step(folder)
    finally:
        shutil.rmtree(scratch)
    for failure in FAILURES:
        print("FAIL:", failure)
    if not FAILURES:
        print("subcommands: fmt, compare (git, jsonpatch, cmark), graph (dot), effective, hook")
    return 1 if FAILURES else 0


sys.exit(main())

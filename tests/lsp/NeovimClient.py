"""Headless Neovim, through its built-in LSP client, must see the same
diagnostics for a bridges file as orvex-config-validate --format json
reports for it: same places (Neovim turns the server's UTF-16 positions back
into byte columns), severities, codes and messages. Then it renames a group
id and applies a quick fix with its own client, and the file it saves must
be the one expected; and it formats a file with its own client, and the file
it saves must be the one `fmt` writes.

Usage: NeovimClient.py TOOL NVIM FOLDER SCRATCH"""

import json
import os
import subprocess
import sys

tool, nvim, folder, scratch = sys.argv[1:5]
server = os.path.join(folder, "orvexbridged_conf.json")
bridges = os.path.join(folder, "bridges.json")
os.makedirs(scratch, exist_ok=True)

report = subprocess.run([tool, "--format", "json", "--server", server, "--bridges", bridges],
                        capture_output=True, timeout=30)
files = json.loads(report.stdout)["files"]
severity = {"error": 1, "warning": 2, "info": 3}
expected = sorted(
    (i["line"] - 1, i["column"] - 1, severity[i["severity"]], i["code"], i["message"])
    for f in files if f["file"] == bridges for i in f["issues"])

# Neovim writes logs and state under these; HOME may be unset in CI.
env = dict(os.environ)
for name in ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"):
    env[name] = scratch
init = os.path.join(os.path.dirname(os.path.abspath(__file__)), "neovim-init.lua")


def run_neovim(name, path, **settings):
    out = os.path.join(scratch, name + ".json")
    if os.path.exists(out):
        os.remove(out)
    run_env = dict(env, ORVEX_TOOL=tool, ORVEX_FILE=path, ORVEX_OUT=out, **settings)
    run = subprocess.run([nvim, "--headless", "--clean", "-n", "-u", init], env=run_env,
                         stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
    if not os.path.exists(out):
        sys.exit("Neovim wrote no result (status %d): %s" % (run.returncode, run.stderr.decode()))
    with open(out) as f:
        result = json.load(f)
    if "error" in result:
        sys.exit("Neovim: %s" % json.dumps(result, ensure_ascii=False))
    return result


seen = run_neovim("diagnostics", bridges)

got = sorted((d["lnum"], d["col"], d["severity"], d["code"], d["message"])
             for d in seen["diagnostics"])
sources = {d["source"] for d in seen["diagnostics"]}
problems = []
if len(expected) < 5:
    problems.append("the fixture should draw several issues, the tool reports %d" % len(expected))
if sources != {"orvex"}:
    problems.append("sources %r" % sources)
if got != expected:
    problems.append("Neovim:\n  %s\ntool:\n  %s" % ("\n  ".join(map(repr, got)),
                                                 "\n  ".join(map(repr, expected))))
if problems:
    sys.exit("\n".join(problems))
print("%d diagnostics match" % len(got))

# A rename and a quick fix, through Neovim's own client, saved to disk.
EDITED = """{
  "groups": [
    {"id": "dispatch", "name": "D\u00fcsp\u00e4tch \U0001F4FB", "type": 1},
    {"id": "radio", "type": 1}
  ],
  "bridges": [
    {"id": "b1", "groups": ["dispatch", "radi"]},
    {"id": "b2", "groups": ["radio", "dispatch"]}
  ]
}
"""
EXPECTED = EDITED.replace('"dispatch"', '"n\u00f6rth"').replace('"radi"', '"radio"')
editing = os.path.join(scratch, "edit")
os.makedirs(editing, exist_ok=True)
edited = os.path.join(editing, "bridges.json")
with open(edited, "w", encoding="utf-8") as f:
    f.write(EDITED)
line = EDITED.split("\n")[6]
column = len(line[:line.index('"dispatch"') + 3].encode("utf-8"))
result = run_neovim("edit", edited, ORVEX_MODE="edit", ORVEX_RENAME_LINE="6",
                    ORVEX_RENAME_COLUMN=str(column), ORVEX_NEW_ID="n\u00f6rth")
with open(edited, encoding="utf-8") as f:
    saved = f.read()
if saved != EXPECTED:
    sys.exit("saved after rename and quick fix (%s):\n%s\nexpected:\n%s" % (
        result.get("fix"), saved, EXPECTED))
print("rename and quick fix saved as expected (%s)" % result["fix"])

# Formatting through Neovim's own client, saved to disk, against fmt. The
# editor keeps the byte-order mark and CRLF out of its buffer and writes
# them back; the server sees "\n" and counts the non-ASCII names in UTF-16.
UNFORMATTED = ("\ufeff{\"groups\": [{\"type\": 1, \"name\": \"D\u00fcsp\u00e4tch \U0001F4FB\", "
               "\"id\": \"dispatch\"},\r\n{\"id\": \"radio\", \"type\": 1}],\r\n"
               "\"bridges\": [{\"groups\": [\"dispatch\", \"radi\"], \"id\": \"b1\"}]}\r\n")
formatting = os.path.join(scratch, "format")
by_fmt = os.path.join(scratch, "fmt")
for where in (formatting, by_fmt):
    os.makedirs(where, exist_ok=True)
    with open(os.path.join(where, "bridges.json"), "w", encoding="utf-8", newline="") as f:
        f.write(UNFORMATTED)
fmt = subprocess.run([tool, "fmt", os.path.join(by_fmt, "bridges.json")], capture_output=True,
                     timeout=30)
if fmt.returncode != 0:
    sys.exit("fmt failed (%d): %s" % (fmt.returncode, fmt.stderr.decode()))
run_neovim("format", os.path.join(formatting, "bridges.json"), ORVEX_MODE="format")
with open(os.path.join(formatting, "bridges.json"), "rb") as f:
    saved = f.read()
with open(os.path.join(by_fmt, "bridges.json"), "rb") as f:
    expected = f.read()
if expected == UNFORMATTED.encode("utf-8"):
    sys.exit("the fixture is formatted already")
if saved != expected:
    sys.exit("saved after formatting:\n%r\nfmt wrote:\n%r" % (saved, expected))
print("formatting saved as fmt writes it")

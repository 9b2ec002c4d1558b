"""Headless Neovim, through its built-in LSP client, must see the same
diagnostics for a bridges file as orvex-config-validate --format json
reports for it: same places (Neovim turns the server's UTF-16 positions back
into byte columns), severities, codes and messages.

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
out = os.path.join(scratch, "diagnostics.json")
env.update({"ORVEX_TOOL": tool, "ORVEX_FILE": bridges, "ORVEX_OUT": out})
init = os.path.join(os.path.dirname(os.path.abspath(__file__)), "neovim-init.lua")
run = subprocess.run([nvim, "--headless", "--clean", "-n", "-u", init], env=env,
                     stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
if not os.path.exists(out):
    sys.exit("Neovim wrote no result (status %d): %s" % (run.returncode, run.stderr.decode()))
with open(out) as f:
    seen = json.load(f)
if "error" in seen:
    sys.exit("Neovim: " + seen["error"])

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

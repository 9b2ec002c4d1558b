"""Headless Neovim, through its built-in LSP client, sees a site rule's
diagnostic in a bridges file, accepts it with the "Accept this issue" code
action, and saves: the project file then holds one entry naming the issue
by what it is about, with an empty reason, which the open project file
flags. A second run accepts a built-in issue into a project file that has
no entries yet.

Usage: NeovimAccept.py TOOL NVIM SCRATCH"""

import json
import os
import shutil
import subprocess
import sys

tool, nvim, scratch = sys.argv[1:4]
shutil.rmtree(scratch, ignore_errors=True)
env = dict(os.environ)
for name in ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"):
    env[name] = scratch
init = os.path.join(os.path.dirname(os.path.abspath(__file__)), "neovim-accept.lua")

SERVER = {"id": "s", "mode": 3}
BRIDGES = {
    "groups": [
        {"id": "{dispatch}", "type": 1, "bridgeTargetOutputDetail": {"mode": 2},
         "rx": {"address": "239.1.1.1", "port": 42100}},
        {"id": "{paging}", "type": 1, "bridgeTargetOutputDetail": {"mode": 2}},
    ],
    "bridges": [{"id": "{b1}", "groups": ["{dispatch}", "{paging}"], "lossGraceMs": 50}],
}
RULES = {"rules": [{"code": "site_loss_grace", "severity": "warning", "given": "bridge",
                    "description": "Bridges keep at least 200 ms of loss grace",
                    "then": {"properties": {"lossGraceMs": {"minimum": 200}}}}]}


def run(name, project_text, code, expected_entry):
    folder = os.path.join(scratch, name)
    os.makedirs(os.path.join(folder, "site"))
    with open(os.path.join(folder, "site", "orvexbridged_conf.json"), "w") as f:
        json.dump(SERVER, f, indent=2)
    with open(os.path.join(folder, "site", "bridges.json"), "w") as f:
        json.dump(BRIDGES, f, indent=2)
    project = os.path.join(folder, "site", "orvex-project.json")
    if project_text is not None:
        with open(project, "w") as f:
            f.write(project_text)
    out = os.path.join(folder, "result.json")
    run_env = dict(env, ORVEX_TOOL=tool, ORVEX_FILE=os.path.join(folder, "site", "bridges.json"),
                   ORVEX_OUT=out, ORVEX_CODE=code, ORVEX_PROJECT=project)
    done = subprocess.run([nvim, "--headless", "--clean", "-n", "-u", init], env=run_env,
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=90)
    if not os.path.exists(out):
        sys.exit("Neovim wrote no result (status %d): %s" % (done.returncode, done.stderr.decode()))
    with open(out) as f:
        result = json.load(f)
    if "error" in result:
        sys.exit("Neovim (%s): %s" % (name, json.dumps(result)))
    with open(project) as f:
        text = f.read()
    saved = json.loads(text)
    reason_line = next(n for n, line in enumerate(text.split("\n")) if '"reason": ""' in line)
    problems = []
    if saved.get("accept") != [expected_entry]:
        problems.append("entries %s, expected [%s]" % (saved.get("accept"), expected_entry))
    if saved.get("rules", RULES["rules"]) != RULES["rules"]:
        problems.append("the rules changed: %s" % saved.get("rules"))
    if not any(d["code"] == "schema" and d["lnum"] == reason_line for d in result["project"]):
        problems.append("the open project file flags no empty reason: %s" % result["project"])
    if problems:
        sys.exit("%s:\n%s" % (name, "\n".join(problems)))
    print("%s: accepted %s, the empty reason flagged" % (name, code))


run("site-issue", json.dumps(RULES, indent=2) + "\n", "site_loss_grace",
    {"code": "site_loss_grace", "file": "bridges.json", "element": "bridge", "id": "{b1}",
     "member": "/lossGraceMs", "reason": ""})
run("new-project", "{}\n", "group_no_networking",
    {"code": "group_no_networking", "file": "bridges.json", "element": "group", "id": "{paging}",
     "reason": ""})

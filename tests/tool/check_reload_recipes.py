"""The recipes of docs/reload.md, run for real on a scratch deployment.

ansible: examples/reload/playbook.yml with Debian's ansible-core over a local
connection: a good configuration is installed; a broken server file (copy),
bridges file (template) and group rename (replace) are each refused, the
installed file stays byte for byte, and the failure shows the diagnostics,
named by the destination.

systemd: the drop-in examples/reload/orvexbridged.service.d/check-config.conf
passes systemd-analyze verify beside a unit (a drop-in naming a program that
is not there does not); its ExecReload= lines, run in order as the service
manager runs them, signal the stand-in server (examples/reload/
orvexbridged-standin) only when the test passes, and the stand-in loads a
configuration only on exit status 0.

Exit status 77 (skipped) only when ansible-playbook, puppet or
systemd-analyze is missing; scripts/setup installs them.

puppet: the class examples/reload/puppet/orvexbridged with Debian's puppet
(puppet apply): a broken server file and a broken bridges file are refused
with the diagnostics in the error, and only the good file is installed.

usage: check_reload_recipes.py ansible|puppet|systemd TOOL SOURCE_DIR
"""
import json
import os
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
FAILURES = []


def expect(condition, what):
    if not condition:
        FAILURES.append(what)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def make_deployment(conf, source, server_name="orvexbridged_conf.json"):
    """The good example deployment in conf, its server naming its bridges
    file by absolute path, as installed servers do."""
    os.makedirs(conf, exist_ok=True)
    with open(os.path.join(source, "examples", "good", "orvexbridged_conf.json")) as f:
        server = json.load(f)
    server["bridgingConfigurationFileName"] = os.path.join(conf, "bridges.json")
    with open(os.path.join(conf, server_name), "w") as f:
        json.dump(server, f, indent=2)
        f.write("\n")
    shutil.copy(os.path.join(source, "examples", "good", "bridges.json"), conf)


# ---- Ansible ----------------------------------------------------------------

def ansible_env(scratch, tool_dir):
    env = dict(os.environ)
    env.update({
        "HOME": os.path.join(scratch, "home"),
        "PATH": tool_dir + os.pathsep + env.get("PATH", "/usr/bin:/bin"),
        "ANSIBLE_LOCAL_TEMP": os.path.join(scratch, "ansible-local"),
        "ANSIBLE_REMOTE_TEMP": os.path.join(scratch, "ansible-remote"),
        "ANSIBLE_PYTHON_INTERPRETER": "/usr/bin/python3",
        "ANSIBLE_NOCOLOR": "1",
        "ANSIBLE_RETRY_FILES_ENABLED": "0",
        "ANSIBLE_STDOUT_CALLBACK": "default",
    })
    os.makedirs(env["HOME"], exist_ok=True)
    return env


def playbook(source, env, conf, extra):
    variables = {"orvex_conf_dir": conf, "orvex_reload_command": "true", **extra}
    return subprocess.run(
        ["ansible-playbook", "-i", "localhost,", "-c", "local",
         os.path.join(source, "examples", "reload", "playbook.yml"),
         "-e", json.dumps(variables)],
        env=env, capture_output=True, text=True, timeout=120)


def failure_of(run):
    """The result of the failed task, as the default callback prints it."""
    match = re.search(r"^fatal: \[localhost\]: FAILED! => (\{.*\})$", run.stdout, re.M)
    return json.loads(match.group(1)) if match else None


def check_ansible(tool_dir, source, scratch):
    if shutil.which("ansible-playbook") is None:
        print("SKIPPED: ansible-playbook is not installed (scripts/setup installs ansible-core)")
        return SKIPPED
    env = ansible_env(scratch, tool_dir)
    conf = os.path.join(scratch, "etc", "orvexbridged")
    sources = os.path.join(scratch, "sources")
    # The server names its bridges file by the absolute name it is installed under.
    make_deployment(sources, source)
    with open(os.path.join(sources, "orvexbridged_conf.json")) as f:
        server = json.load(f)
    server["bridgingConfigurationFileName"] = os.path.join(conf, "bridges.json")
    with open(os.path.join(sources, "orvexbridged_conf.json"), "w") as f:
        json.dump(server, f, indent=2)
    # Broken in a way no bridges file can mend.
    with open(os.path.join(sources, "orvexbridged_conf.json")) as f:
        broken_server = f.read().replace('"timeoutSecs": 10', '"timeoutSecs": 0')
    expect(broken_server.count('"timeoutSecs": 0') == 1, "could not break the server file")
    with open(os.path.join(sources, "broken-server.json"), "w") as f:
        f.write(broken_server)
    shutil.copy(os.path.join(source, "examples", "good", "bridges.json"),
                os.path.join(sources, "bridges.json.j2"))
    shutil.copy(os.path.join(source, "examples", "broken", "bridges.json"),
                os.path.join(sources, "broken-bridges.json.j2"))
    # An installed deployment that the playbook updates (a first install has
    # no partner file to pair a new one with; docs/reload.md says so).
    make_deployment(conf, source)
    for name, old, new in [("orvexbridged_conf.json", '"intervalSecs": 30', '"intervalSecs": 45'),
                           ("bridges.json", '"Dispatch north"', '"Dispatch north (old)"')]:
        path = os.path.join(conf, name)
        with open(path) as f:
            text = f.read()
        expect(old in text, f"could not change {name} of the installed deployment")
        with open(path, "w") as f:
            f.write(text.replace(old, new, 1))
    installed = {name: read(os.path.join(conf, name)) for name in ("orvexbridged_conf.json", "bridges.json")}

    good = {"orvex_server_source": os.path.join(sources, "orvexbridged_conf.json"),
            "orvex_bridges_template": os.path.join(sources, "bridges.json.j2")}
    run = playbook(source, env, conf, good)
    expect(run.returncode == 0, f"ansible, good configuration: exit status {run.returncode}\n"
                                f"{run.stdout}{run.stderr}")
    for name, before in installed.items():
        expect(read(os.path.join(conf, name)) != before,
               f"ansible, good configuration: {name} was not updated")
    if FAILURES:
        return 1

    server_file = os.path.join(conf, "orvexbridged_conf.json")
    bridges_file = os.path.join(conf, "bridges.json")
    cases = [
        # (what, variables, destination, diagnostic, module shows only stderr in msg)
        ("copy of a broken server file",
         {**good, "orvex_server_source": os.path.join(sources, "broken-server.json")},
         server_file, re.escape(server_file) + r":\d+:\d+: error: .*\[schema\]", False),
        ("template of a broken bridges file",
         {**good, "orvex_bridges_template": os.path.join(sources, "broken-bridges.json.j2")},
         bridges_file, re.escape(bridges_file) + r":\d+:\d+: error: .*\[missing_group_ref\]",
         False),
        ("replace that renames a group its bridges still name",
         {**good, "orvex_rename_group": {"from": "{field-crews}", "to": "{field-crews-2}"}},
         bridges_file, re.escape(bridges_file) + r":\d+:\d+: error: .*\[missing_group_ref\]",
         True),
    ]
    for what, variables, destination, diagnostic, in_msg in cases:
        before = read(destination)
        run = playbook(source, env, conf, variables)
        result = failure_of(run)
        expect(run.returncode != 0, f"ansible, {what}: the playbook did not fail")
        expect(result is not None, f"ansible, {what}: no failed task\n{run.stdout}{run.stderr}")
        expect(read(destination) == before, f"ansible, {what}: {destination} changed")
        if result is None:
            continue
        shown = result.get("msg", "") if in_msg else result.get("msg", "") + result.get("stderr", "")
        expect(re.search(diagnostic, shown) is not None,
               f"ansible, {what}: the failure does not show {diagnostic!r}: {result}")
        expect("test failed" in shown, f"ansible, {what}: the failure has no last line: {result}")
        expect("ansible-tmp" not in shown and "/tmp" not in shown.replace(scratch, ""),
               f"ansible, {what}: the temporary file is named: {result}")
        print(f"ansible, {what}: refused, {os.path.basename(destination)} unchanged; "
              f"msg: {result.get('msg', '')!r}, stderr: {result.get('stderr', '')!r}")
    return 0


# ---- Puppet -----------------------------------------------------------------

def puppet_apply(source, scratch, tool, conf, server_source, bridges_source):
    """puppet apply of the example class, as root would run it, but with
    every directory of its own in scratch."""
    parameters = {"server_source": server_source, "bridges_source": bridges_source,
                  "conf_dir": conf, "checker": tool}
    manifest = "class { 'orvexbridged': %s }" % ", ".join(
        f"{name} => '{value}'" for name, value in parameters.items())
    home = os.path.join(scratch, "puppet")
    args = ["puppet", "apply", "--detailed-exitcodes", "--color=false",
            "--modulepath", os.path.join(source, "examples", "reload", "puppet"), "-e", manifest]
    for setting in ("confdir", "vardir", "codedir", "logdir", "rundir"):
        args[2:2] = [f"--{setting}", os.path.join(home, setting)]
    return subprocess.run(args, env=dict(os.environ, HOME=home), capture_output=True, text=True,
                          timeout=120)


def check_puppet(tool, source, scratch):
    if shutil.which("puppet") is None:
        print("SKIPPED: puppet is not installed (scripts/setup installs it)")
        return SKIPPED
    conf = os.path.join(scratch, "etc")
    make_deployment(conf, source)
    new = os.path.join(scratch, "new")
    make_deployment(new, source)
    server, bridges = (os.path.join(conf, name) for name in ("orvexbridged_conf.json", "bridges.json"))
    with open(os.path.join(new, "orvexbridged_conf.json")) as f:
        text = f.read()
    # The new server file names the installed bridges file; the broken one also
    # has a value out of range.
    for name, old, replacement in [("server.json", '"intervalSecs": 30', '"intervalSecs": 45'),
                                   ("broken-server.json", '"timeoutSecs": 10', '"timeoutSecs": 0')]:
        expect(old in text, f"puppet: cannot make {name}")
        with open(os.path.join(new, name), "w") as f:
            f.write(text.replace(os.path.join(new, "bridges.json"), bridges).replace(old, replacement))
    broken_bridges = os.path.join(source, "examples", "broken", "bridges.json")
    good_bridges = os.path.join(source, "examples", "good", "bridges.json")
    # (what, server source, bridges source, file refused, diagnostic, files that change)
    runs = [
        ("a broken server file", os.path.join(new, "broken-server.json"), good_bridges, server,
         r"\[schema\]", []),
        ("a good server file and a broken bridges file", os.path.join(new, "server.json"),
         broken_bridges, bridges, r"\[missing_group_ref\]", [server]),
    ]
    for what, server_source, bridges_source, refused, code, changed in runs:
        before = {path: read(path) for path in (server, bridges)}
        run = puppet_apply(source, scratch, tool, conf, server_source, bridges_source)
        # 4: failures, 6: changes and failures.
        expect(run.returncode in (4, 6), f"puppet, {what}: exit status {run.returncode}\n{run.stderr}")
        shown = re.search(r"^Error: .*" + re.escape(refused) + r".*failed: Execution of .*returned 1: "
                          + re.escape(refused) + r":\d+:\d+: error: [^\0]*?" + code, run.stderr, re.M)
        expect(shown is not None, f"puppet, {what}: the failure does not show the diagnostic\n{run.stderr}")
        for path, text in before.items():
            expect((read(path) != text) == (path in changed),
                   f"puppet, {what}: {path} {'unchanged' if path in changed else 'changed'}")
        print(f"puppet, {what}: exit status {run.returncode}, {os.path.basename(refused)} refused; "
              f"{shown.group(0)[:200] if shown else ''!r}")
    return 0


# ---- systemd ----------------------------------------------------------------

def drop_in_text(source, tool, conf):
    """The drop-in with the tool built and the scratch configuration."""
    with open(os.path.join(source, "examples", "reload", "orvexbridged.service.d",
                           "check-config.conf")) as f:
        text = f.read()
    return text.replace("/usr/bin/orvex-config-validate", tool).replace("/etc/orvexbridged", conf)


def verify(units, unit):
    # No service manager needed: the unit and its drop-in are read from
    # units alone (the trailing ":" adds the system's own search path).
    env = dict(os.environ, SYSTEMD_UNIT_PATH=units + ":")
    return subprocess.run(["systemd-analyze", "verify", "--man=no", os.path.join(units, unit)],
                          env=env, capture_output=True, text=True, timeout=60)


def write_units(units, standin, conf, state, drop_in):
    os.makedirs(os.path.join(units, "orvexbridged.service.d"), exist_ok=True)
    with open(os.path.join(units, "orvexbridged.service"), "w") as f:
        f.write("[Unit]\nDescription=orvexbridged stand-in\n\n[Service]\n"
                f"ExecStart={standin} {conf} {state}\n"
                "ExecReload=/bin/kill -USR1 $MAINPID\n")
    with open(os.path.join(units, "orvexbridged.service.d", "check-config.conf"), "w") as f:
        f.write(drop_in)


def exec_lines(drop_in, key):
    """The command lines of key= in order; an empty assignment resets them."""
    lines = []
    for line in drop_in.splitlines():
        if line.startswith(key + "="):
            value = line[len(key) + 1:]
            lines = [] if value == "" else lines + [value]
    return lines


def reload_as_systemd(drop_in, pid):
    """Runs ExecReload= lines in order and stops at the first that fails, as
    the service manager does; the status of the reload."""
    for line in exec_lines(drop_in, "ExecReload"):
        args = [arg.replace("$MAINPID", str(pid)) for arg in shlex.split(line)]
        status = subprocess.run(args, capture_output=True, timeout=60).returncode
        if status != 0:
            return status
    return 0


def wait_for(predicate, what):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.05)
    FAILURES.append(f"timed out waiting for {what}")
    return False


def log_lines(state):
    try:
        with open(os.path.join(state, "log")) as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []


def check_standin(source, tool, standin, conf, state, drop_in):
    make_deployment(conf, source)
    env = dict(os.environ, ORVEX_CONFIG_VALIDATE=tool)
    daemon = subprocess.Popen([standin, conf, state], env=env)
    try:
        if not wait_for(lambda: log_lines(state) == ["start done"], "the stand-in to start"):
            return
        pid = daemon.pid
        loaded = os.path.join(state, "loaded", "bridges.json")
        good = read(loaded)
        bridges = os.path.join(conf, "bridges.json")
        server = os.path.join(conf, "orvexbridged_conf.json")
        broken = read(os.path.join(source, "examples", "broken", "bridges.json"))
        # (what, change to the configuration, reload status, what the stand-in logs)
        steps = [
            ("a broken bridges file", lambda: open(bridges, "wb").write(broken), 1, None),
            ("an unreadable server file", lambda: os.replace(server, server + ".away"), 2, None),
            ("the good files back", lambda: (os.replace(server + ".away", server),
                                             shutil.copy(os.path.join(
                                                 source, "examples", "good", "bridges.json"),
                                                 bridges)), 0, "reload done"),
        ]
        for what, change, status, logged in steps:
            change()
            got = reload_as_systemd(drop_in, pid)
            expect(got == status, f"systemd reload with {what}: status {got}, expected {status}")
            if logged:
                wait_for(lambda: log_lines(state)[-1:] == [logged], f"'{logged}' after {what}")
            else:
                time.sleep(0.3)  # a signal sent by mistake would be handled by now
                expect(log_lines(state) == ["start done"],
                       f"systemd reload with {what}: the stand-in was signalled: {log_lines(state)}")
            expect(read(loaded) == good, f"systemd reload with {what}: the loaded file changed")
            print(f"systemd reload with {what}: status {got}, stand-in log {log_lines(state)}")
        # The stand-in itself refuses a bad configuration on a signal.
        open(bridges, "wb").write(broken)
        os.kill(pid, signal.SIGHUP)
        wait_for(lambda: log_lines(state)[-1:] == ["reload refused: test exit status 1"],
                 "the stand-in to refuse a broken bridges file")
        expect(read(loaded) == good, "stand-in: a refused reload changed the loaded file")
    finally:
        daemon.terminate()
        daemon.wait(timeout=30)


def check_systemd(tool, source, scratch):
    if shutil.which("systemd-analyze") is None:
        print("SKIPPED: systemd-analyze is not installed (scripts/setup installs systemd)")
        return SKIPPED
    standin = os.path.join(source, "examples", "reload", "orvexbridged-standin")
    conf, state = os.path.join(scratch, "etc"), os.path.join(scratch, "state")
    drop_in = drop_in_text(source, tool, conf)
    expect(conf in drop_in, "the drop-in does not test /etc/orvexbridged/orvexbridged_conf.json")
    units = os.path.join(scratch, "units")
    write_units(units, standin, conf, state, drop_in)
    run = verify(units, "orvexbridged.service")
    expect(run.returncode == 0 and run.stderr.strip() == "",
           f"systemd-analyze verify: status {run.returncode}\n{run.stdout}{run.stderr}")
    print(f"systemd-analyze verify: status {run.returncode}, {run.stderr.strip()!r}")
    # The check is not vacuous: a drop-in naming a program that is not there fails it.
    write_units(units, standin, scratch, scratch, drop_in.replace(tool, tool + "-missing"))
    run = verify(units, "orvexbridged.service")
    expect(run.returncode != 0 and "-missing" in run.stderr,
           f"systemd-analyze verify took a missing program: {run.returncode} {run.stderr}")
    expect(len(exec_lines(drop_in, "ExecReload")) == 2 and exec_lines(drop_in, "ExecStartPre"),
           "the drop-in has not one ExecStartPre= and two ExecReload= lines")
    check_standin(source, tool, standin, conf, state, drop_in)
    return 0


def main():
    mode, tool, source = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
    with tempfile.TemporaryDirectory() as scratch:
        if mode == "ansible":
            status = check_ansible(os.path.dirname(tool), source, scratch)
        elif mode == "puppet":
            status = check_puppet(tool, source, scratch)
        else:
            status = check_systemd(tool, source, scratch)
    if status == SKIPPED:
        sys.exit(SKIPPED)
    if status != 0 and not FAILURES:
        FAILURES.append("stopped early")
    for failure in FAILURES:
        print("FAIL:", failure)
    sys.exit(1 if FAILURES else 0)


if __name__ == "__main__":
    main()

"""Checks a large bridges file (about 8 MB, written by the peers' generator)
under a sweep of address-space limits, as `ulimit -v` sets them: each run
either passes, or fails with the file's documented out-of-memory error and
status 2; and once a limit is enough, every higher one is enough too.

usage: check_memory_sweep.py TOOL GENERATOR
"""
import pathlib
import re
import resource
import subprocess
import sys
import tempfile

GROUPS = 25000  # about 330 bytes each
# MiB: from far too little to far more than enough, closely enough to see a
# window of a few MiB.
LIMITS = list(range(24, 151, 3))
OUT_OF_MEMORY = re.compile(
    r"^\S+: error: (cannot read file: not enough memory to read it \[read_error\]"
    r"|not enough memory to check this file \[out_of_memory\])\n"
    r"1 file checked: 1 error, 0 warnings, 0 notes\n$")
PASSED = re.compile(r"^1 file checked: 0 errors, 0 warnings, 0 notes\n$")


def run(tool, path, mib):
    def cap():
        limit = mib << 20
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
    done = subprocess.run([tool, "--schema", "BridgingConfiguration", str(path)], capture_output=True,
                          text=True, preexec_fn=cap, timeout=60, check=False)
    text = done.stdout + done.stderr
    if done.returncode == 0 and PASSED.match(text):
        return "passed"
    if done.returncode == 2 and OUT_OF_MEMORY.match(text):
        return "out of memory"
    return "status %d: %r" % (done.returncode, text[-300:])


def main():
    tool, generator = sys.argv[1:3]
    with tempfile.TemporaryDirectory(prefix="orvex-memory-sweep-") as folder:
        path = pathlib.Path(folder) / "bridges.json"
        subprocess.run([sys.executable, generator, str(GROUPS), str(path)], check=True)
        outcomes = [(mib, run(tool, path, mib)) for mib in LIMITS]
    print(" ".join("%d:%s" % (mib, "P" if o == "passed" else "M" if o == "out of memory" else "?")
                   for mib, o in outcomes))
    failures = ["at %d MiB: %s" % (mib, o) for mib, o in outcomes
                if o not in ("passed", "out of memory")]
    passed = [mib for mib, o in outcomes if o == "passed"]
    if not passed or outcomes[0][1] != "out of memory":
        failures.append("the sweep must begin out of memory and reach enough")
    else:
        failures += ["at %d MiB: out of memory above a limit that was enough (%d MiB)"
                     % (mib, passed[0]) for mib, o in outcomes if mib > passed[0] and o != "passed"]
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

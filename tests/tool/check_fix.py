"""--fix and --diff end to end, on copies of the inputs in a scratch folder:
git apply takes the diff, and git apply and patch take it for files in
oddly named folders too, --diff refuses a file outside the working
directory, --fix writes what the diff shows and keeps the file's mode,
owner, group and extended attributes, a file without fixes stays byte for
byte, a file named twice is fixed once, and standard input, a FIFO, a
device, a read-only file and one with several hard links are refused with
nothing written at all.

usage: check_fix.py TOOL INPUTS
"""
import errno
import os
import shutil
import stat
import subprocess
import sys
import tempfile

FAILURES = []


def expect(condition, what):
    if not condition:
        FAILURES.append(what)


def run(tool, cwd, *args, stdin=None):
    # A tool that blocks on a FIFO must fail the test, not hang it.
    return subprocess.run([tool, *args], cwd=cwd, capture_output=True, input=stdin, timeout=60)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def pair(folder):
    return ["--strict", "--server", os.path.join(folder, "orvexbridged_conf.json"),
            "--bridges", os.path.join(folder, "bridges.json")]


def check_diff_then_fix(tool, inputs, scratch):
    work = os.path.join(scratch, "fix")
    shutil.copytree(os.path.join(inputs, "fixes"), work)
    subprocess.run(["git", "init", "-q", work], check=True)
    bridges = os.path.join(work, "bridges.json")
    os.chmod(bridges, 0o640)
    before = read(bridges)
    diff = run(tool, work, "--diff", *pair(""))
    expect(diff.returncode == 1, f"--diff: status {diff.returncode}, expected 1 as for a check")
    expect(diff.stdout.startswith(b"--- a/bridges.json\n+++ b/bridges.json\n@@ "),
           f"--diff: not a diff of bridges.json: {diff.stdout[:80]!r}")
    expect(read(bridges) == before, "--diff changed the file")
    patch = os.path.join(scratch, "fixes.patch")
    with open(patch, "wb") as f:
        f.write(diff.stdout)
    applied = subprocess.run(["git", "apply", "--check", patch], cwd=work, capture_output=True)
    expect(applied.returncode == 0, f"git apply --check refused the diff: {applied.stderr!r}")
    subprocess.run(["git", "apply", patch], cwd=work, check=True)
    by_diff = read(bridges)
    expect(by_diff != before, "the diff changes nothing")
    with open(bridges, "wb") as f:
        f.write(before)
    os.chmod(bridges, 0o640)

    fixed = run(tool, work, "--fix", *pair(""))
    # The reference to an undefined group stays an error: the close id is
    # another group, which only the operator may choose.
    expect(fixed.returncode == 1, f"--fix: status {fixed.returncode}: {fixed.stdout!r}")
    expect(b"; 3 fixes applied\n" in fixed.stdout, f"--fix summary: {fixed.stdout!r}")
    expect(read(bridges) == by_diff, "--fix wrote other than the diff shows")
    check_fixed_text(by_diff.decode("utf-8"))
    expect(stat.S_IMODE(os.stat(bridges).st_mode) == 0o640, "--fix did not keep the mode")
    expect(sorted(os.listdir(work)) == [".git", "bridges.json", "orvexbridged_conf.json"],
           f"--fix left files behind: {os.listdir(work)}")
    again = run(tool, work, "--diff", *pair(""))
    expect(again.returncode == 1 and again.stdout == b"",
           f"a fixed file still has fixes: {again.stdout!r}")


# A folder name that would end the "---" line and forge a hunk for
# victim.json, were names written raw; and one with a tab, a quote, an
# escape character and UTF-8.
FORGING = "victim.json\n+++ victim.json\n@@ -1 +1 @@\n-old\n+forged\n"
ODD = "n\nt\tq\"e\033\u00e9 x"


def check_diff_names(tool, inputs, scratch):
    """Names are quoted as git quotes them: git apply and patch -p1 fix the
    file in the oddly named folder and nothing else."""
    work = os.path.join(scratch, "names")
    os.mkdir(work)
    subprocess.run(["git", "init", "-q", work], check=True)
    with open(os.path.join(work, "victim.json"), "w") as f:
        f.write("old\n")
    folders = [FORGING, ODD]
    for folder in folders:
        shutil.copytree(os.path.join(inputs, "fixes"), os.path.join(work, folder))
    files = [os.path.join(folder, "bridges.json") for folder in folders]
    before = [read(os.path.join(work, name)) for name in files]
    diff = run(tool, work, "--diff", "--strict", "--schema", "BridgingConfiguration", *files)
    expect(diff.returncode == 1, f"odd names: --diff status {diff.returncode}")
    patch = os.path.join(scratch, "names.patch")
    with open(patch, "wb") as f:
        f.write(diff.stdout)
    checked = subprocess.run(["git", "apply", "--check", patch], cwd=work, capture_output=True)
    expect(checked.returncode == 0, f"git apply --check refused odd names: {checked.stderr!r}")
    for command in (["git", "apply", patch], ["patch", "-s", "-p1", "-i", patch]):
        done = subprocess.run(command, cwd=work, capture_output=True)
        expect(done.returncode == 0, f"{command[0]} failed on odd names: {done.stderr!r}")
        expect(read(os.path.join(work, "victim.json")) == b"old\n",
               f"{command[0]} applied a hunk forged by a name")
        for name, text in zip(files, before):
            path = os.path.join(work, name)
            expect(read(path) != text, f"{command[0]} did not fix {name!r}")
            with open(path, "wb") as f:
                f.write(text)


def check_diff_paths(tool, inputs, scratch):
    """./x and x/../y name the file from here; a file outside the working
    directory, which no header git applies from here can name, is refused
    before anything is printed."""
    work = os.path.join(scratch, "paths")
    shutil.copytree(os.path.join(inputs, "fixes"), os.path.join(work, "d"))
    os.mkdir(os.path.join(work, "sub"))
    args = ["--diff", "--strict", "--schema", "BridgingConfiguration"]
    inside = os.path.join(work, "d", "bridges.json")
    for named in ("./d/bridges.json", "sub/../d/bridges.json", inside):
        done = run(tool, work, *args, named)
        expect(done.stdout.startswith(b"--- a/d/bridges.json\n+++ b/d/bridges.json\n@@ "),
               f"--diff {named}: header {done.stdout[:60]!r}")
    for named in ("../d/bridges.json", inside):
        done = run(tool, os.path.join(work, "sub"), *args, named)
        expect(done.returncode == 3, f"--diff {named} from outside: status {done.returncode}")
        expect(done.stdout == b"", f"--diff {named} from outside: output {done.stdout[:60]!r}")
        message = f"cannot show the fixes of '{named}': it is outside the working directory"
        expect(message.encode() in done.stderr, f"--diff {named}: message {done.stderr!r}")


def check_fixed_text(text):
    """What the safe fixes must leave alone: a reference re-pointed at
    another group, a rename whose value the new name refuses, and either of
    two typos of one name (renaming both, a later round would drop one)."""
    expect('"groups": ["Gé-1"]' in text, f"the reference was re-pointed:\n{text}")
    expect('"txaudio": false' in text, f"renamed to a name that refuses the value:\n{text}")
    expect(text.count('"name"') == 1 and "Café crew" in text and "Bar crew" in text,
           f"the typos of one name:\n{text}")


def xattrs_supported(folder):
    probe = os.path.join(folder, "probe")
    open(probe, "wb").close()
    try:
        os.setxattr(probe, "user.orvex.probe", b"1")
        return True
    except OSError as error:
        if error.errno in (errno.ENOTSUP, errno.EOPNOTSUPP, errno.EPERM):
            return False
        raise
    finally:
        os.remove(probe)


def check_kept_attributes(tool, inputs, scratch):
    """The fixed file is a new one renamed over the old: it must keep what
    the daemon and the operator set on the old one."""
    work = os.path.join(scratch, "attributes")
    shutil.copytree(os.path.join(inputs, "fixes"), work)
    bridges = os.path.join(work, "bridges.json")
    os.chmod(bridges, 0o640)
    as_root = os.geteuid() == 0
    if as_root:
        os.chown(bridges, 65534, 65534)
    with_xattrs = xattrs_supported(work)
    if with_xattrs:
        os.setxattr(bridges, "user.orvex.origin", b"deployed by hand")
    else:
        print("fix: the scratch file system refuses user extended attributes; not checked")
    before = os.stat(bridges)
    fixed = run(tool, work, "--fix", *pair(""))
    # What the safe fixes leave (a dangling reference) still fails the check.
    expect(fixed.returncode == 1 and b"; 3 fixes applied\n" in fixed.stdout,
           f"--fix keeping attributes: {fixed.returncode} {fixed.stdout!r} {fixed.stderr!r}")
    after = os.stat(bridges)
    expect(after.st_ino != before.st_ino, "--fix did not replace the file")
    expect((after.st_uid, after.st_gid) == (before.st_uid, before.st_gid),
           f"--fix changed owner and group {before.st_uid}:{before.st_gid} "
           f"to {after.st_uid}:{after.st_gid}")
    expect(stat.S_IMODE(after.st_mode) == 0o640, "--fix did not keep the mode")
    if with_xattrs:
        kept = os.listxattr(bridges)
        expect(kept == ["user.orvex.origin"] and
               os.getxattr(bridges, "user.orvex.origin") == b"deployed by hand",
               f"--fix did not keep the extended attributes: {kept!r}")


def check_owner_kept_or_refused(tool, inputs, scratch):
    """A user who may not give the new file the old one's owner is refused,
    rather than the file silently changing hands."""
    if os.geteuid() != 0:
        print("fix: not run as root; refusing another user's file not checked")
        return
    os.chmod(scratch, 0o755)
    work = os.path.join(scratch, "foreign")
    shutil.copytree(os.path.join(inputs, "fixes"), work)
    os.chmod(work, 0o777)
    for name in os.listdir(work):
        os.chmod(os.path.join(work, name), 0o666)
    bridges = os.path.join(work, "bridges.json")
    before = read(bridges)

    def as_nobody():
        os.setgid(65534)
        os.setuid(65534)

    done = subprocess.run([tool, "--fix", *pair("")], cwd=work, capture_output=True,
                          timeout=60, preexec_fn=as_nobody)
    expect(done.returncode == 3, f"another user's file: status {done.returncode}, expected 3")
    expect(b"cannot fix 'bridges.json': cannot keep its owner and group (uid 0, gid 0)"
           in done.stderr, f"another user's file: message {done.stderr!r}")
    expect(read(bridges) == before and os.stat(bridges).st_uid == 0,
           "another user's file was replaced")
    expect(sorted(os.listdir(work)) == ["bridges.json", "orvexbridged_conf.json"],
           f"a refused --fix left files behind: {os.listdir(work)}")


def check_nothing_written_when_refused(tool, inputs, scratch):
    """Two fixable files, one of which may not be replaced: the other is not
    written either, and the refused one is named on a line of its own."""
    def read_only(path):
        os.chmod(path, 0o444)

    def linked(path):
        os.link(path, path + ".link")

    harms = ((read_only, b"the file is read-only"),
             (linked, b"it has 2 hard links, which a new file in its place would part"))
    source = os.path.join(inputs, "fixes", "bridges.json")
    for harm, why in harms:
        work = os.path.join(scratch, "refused-" + harm.__name__)
        os.mkdir(work)
        for name in ("a.json", "b.json"):
            shutil.copy(source, os.path.join(work, name))
        harm(os.path.join(work, "b.json"))
        fixed = run(tool, work, "--fix", "--strict", "--schema", "BridgingConfiguration",
                    "a.json", "b.json")
        what = harm.__name__
        expect(fixed.returncode == 3, f"{what}: status {fixed.returncode}, expected 3")
        expect(fixed.stderr == b"orvex-config-validate: error: cannot fix 'b.json': " + why +
               b"\n", f"{what}: message {fixed.stderr!r}")
        expect(fixed.stdout == b"", f"{what}: output {fixed.stdout!r}")
        for name in os.listdir(work):
            expect(read(os.path.join(work, name)) == read(source), f"{what}: {name} was written")


def check_named_twice(tool, inputs, scratch):
    """One file under three names (two spellings and a link) is fixed once
    and its fixes counted once; the link stays a link."""
    work = os.path.join(scratch, "twice")
    os.mkdir(work)
    for name in ("once.json", "bridges.json"):
        shutil.copy(os.path.join(inputs, "fixes", "bridges.json"), os.path.join(work, name))
    os.symlink("bridges.json", os.path.join(work, "alias.json"))
    schema = ["--strict", "--schema", "BridgingConfiguration"]
    once = run(tool, work, "--fix", *schema, "once.json")
    counted = [line for line in once.stdout.split(b"\n") if b"fixes applied" in line]
    expect(len(counted) == 1 and not counted[0].endswith(b"; 0 fixes applied"),
           f"the file fixed once: {once.stdout!r}")
    thrice = run(tool, work, "--fix", *schema, "bridges.json", "./bridges.json", "alias.json")
    expect(counted and thrice.stdout.endswith(counted[0].split(b"; ")[-1] + b"\n"),
           f"a file named thrice: {thrice.stdout!r}, once: {once.stdout!r}")
    expect(read(os.path.join(work, "bridges.json")) == read(os.path.join(work, "once.json")),
           "a file named thrice was not fixed as once")
    expect(os.path.islink(os.path.join(work, "alias.json")), "the link was replaced")


def check_untouched(tool, inputs, scratch):
    work = os.path.join(scratch, "clean")
    os.mkdir(work)
    shutil.copy(os.path.join(inputs, "group.json"), work)
    path = os.path.join(work, "group.json")
    before, inode = read(path), os.stat(path).st_ino
    fixed = run(tool, work, "--fix", "--schema", "Group", "group.json")
    expect(fixed.returncode == 0 and b"; 0 fixes applied" in fixed.stdout,
           f"--fix of a clean file: {fixed.returncode} {fixed.stdout!r}")
    expect(read(path) == before and os.stat(path).st_ino == inode,
           "--fix rewrote a file without fixes")


def check_refusals(tool, inputs, scratch):
    work = os.path.join(scratch, "readonly")
    shutil.copytree(os.path.join(inputs, "fixes"), work)
    bridges = os.path.join(work, "bridges.json")
    os.chmod(bridges, 0o444)
    before = read(bridges)
    fixed = run(tool, work, "--fix", *pair(""))
    expect(fixed.returncode == 3, f"read-only file: status {fixed.returncode}, expected 3")
    expect(b"cannot fix 'bridges.json': the file is read-only" in fixed.stderr,
           f"read-only file: message {fixed.stderr!r}")
    expect(read(bridges) == before, "a read-only file was changed")
    shown = run(tool, work, "--diff", *pair(""))
    expect(shown.returncode == 1 and shown.stdout.startswith(b"--- a/bridges.json"),
           f"--diff of a read-only file: {shown.returncode} {shown.stdout[:80]!r}")
    for option in ("--fix", "--diff"):
        piped = run(tool, work, option, "--schema", "BridgingConfiguration", "-", stdin=before)
        expect(piped.returncode == 3, f"{option} of standard input: status {piped.returncode}")
        expect(b"standard input ('-')" in piped.stderr,
               f"{option} of standard input: message {piped.stderr!r}")


def check_irregular_files(tool, scratch):
    """A FIFO (no writer: opening it to read would block) and a device that
    never ends are refused by name before anything is read."""
    work = os.path.join(scratch, "irregular")
    os.mkdir(work)
    fifo = os.path.join(work, "bridges.json")
    os.mkfifo(fifo)
    for option, verb in (("--fix", "fix"), ("--diff", "show the fixes of")):
        for named in ("bridges.json", "/dev/zero"):
            done = run(tool, work, option, "--schema", "BridgingConfiguration", named)
            expect(done.returncode == 3, f"{option} {named}: status {done.returncode}, expected 3")
            message = f"cannot {verb} '{named}': not a regular file".encode()
            expect(message in done.stderr, f"{option} {named}: message {done.stderr!r}")
            expect(done.stdout == b"", f"{option} {named}: output {done.stdout!r}")
    expect(stat.S_ISFIFO(os.stat(fifo).st_mode), "the FIFO was replaced")


def main():
    tool, inputs = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    with tempfile.TemporaryDirectory() as scratch:
        check_diff_then_fix(tool, inputs, scratch)
        check_diff_names(tool, inputs, scratch)
        check_diff_paths(tool, inputs, scratch)
        check_untouched(tool, inputs, scratch)
        check_kept_attributes(tool, inputs, scratch)
        check_nothing_written_when_refused(tool, inputs, scratch)
        check_named_twice(tool, inputs, scratch)
        check_refusals(tool, inputs, scratch)
        check_irregular_files(tool, scratch)
        check_owner_kept_or_refused(tool, inputs, scratch)
    if FAILURES:
        sys.stderr.write("\n".join(FAILURES) + "\n")
        return 1
    print("fix: diff applies, --fix writes it and keeps what the file had; refusals hold")
    return 0


if __name__ == "__main__":
    sys.exit(main())

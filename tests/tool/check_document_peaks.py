"""Every output format, and a file with issues that have fixes, read the one
document: checks a generated bridges file (the peers' generator) with each
--format and compares each run's peak resident memory and CPU time with
--format text's; then compares the clean file's peak with that of the same
file holding one repeated member, and a thousand (each with a fix), with
--format sarif, which lists every issue's fixes.

usage: check_document_peaks.py formats|fixes TOOL GENERATOR
"""
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile

GROUPS = 10000  # about 3.3 MB: the peaks differ by tens of MiB if a format reads twice
ROUNDS = 3
FORMATS = ["text", "json", "github", "sarif", "junit"]
PEAK_RATIO = 1.10
CPU_RATIO = 1.15


def measure(command):
    """Peak resident KiB and CPU seconds (user + system) of one run."""
    with open(os.devnull, "wb") as sink:
        child = subprocess.Popen(command, stdout=sink, stderr=sink)
        _, status, usage = os.wait4(child.pid, 0)
    code = os.waitstatus_to_exitcode(status)
    if code not in (0, 1, 3):
        raise SystemExit("%s: status %d" % (" ".join(command), code))
    return usage.ru_maxrss, usage.ru_utime + usage.ru_stime


def medians(runs):
    """Alternating rounds over the named commands; medians per name."""
    peaks = {name: [] for name in runs}
    cpu = {name: [] for name in runs}
    for _ in range(ROUNDS):
        for name, command in runs.items():
            peak, seconds = measure(command)
            peaks[name].append(peak)
            cpu[name].append(seconds)
    return ({name: statistics.median(v) for name, v in peaks.items()},
            {name: statistics.median(v) for name, v in cpu.items()})


def repeated_names(text, count):
    """The text with `count` groups, spread over the file, setting "name" twice."""
    marker = '"type": 1, "name": '
    places = [i for i in range(len(text)) if text.startswith(marker, i)]
    step = max(1, len(places) // count)
    chosen = set(places[step // 2::step][:count])
    out, last = [], 0
    for place in sorted(chosen):
        out.append(text[last:place])
        out.append('"name": "before", ')
        last = place
    out.append(text[last:])
    return "".join(out)


def compare(label, base, others, peaks, cpu, with_cpu):
    failures = []
    for name in others:
        peak_ratio = peaks[name] / peaks[base]
        cpu_ratio = cpu[name] / cpu[base] if cpu[base] > 0 else 1.0
        print("%s %s: peak %.1f MiB (%.2fx %s), CPU %.2f s (%.2fx)"
              % (label, name, peaks[name] / 1024, peak_ratio, base, cpu[name], cpu_ratio))
        if peak_ratio > PEAK_RATIO:
            failures.append("%s peaks at %.2fx %s" % (name, peak_ratio, base))
        if with_cpu and cpu_ratio > CPU_RATIO:
            failures.append("%s costs %.2fx the CPU of %s" % (name, cpu_ratio, base))
    return failures


def main():
    mode, tool, generator = sys.argv[1:4]
    with tempfile.TemporaryDirectory(prefix="orvex-document-peaks-") as folder:
        clean = pathlib.Path(folder) / "bridges.json"
        subprocess.run([sys.executable, generator, str(GROUPS), str(clean)], check=True)
        check = [tool, "--schema", "BridgingConfiguration"]
        if mode == "formats":
            runs = {f: check + ["--format", f, str(clean)] for f in FORMATS}
            peaks, cpu = medians(runs)
            failures = compare("format", "text", FORMATS[1:], peaks, cpu, True)
        else:
            text = clean.read_text(encoding="utf-8")
            files = {"clean": clean}
            for name, count in (("one duplicate_key", 1), ("1000 fixable issues", 1000)):
                files[name] = pathlib.Path(folder) / ("%d.json" % count)
                files[name].write_text(repeated_names(text, count), encoding="utf-8")
            # SARIF lists each issue's fixes, made from the document read.
            runs = {n: check + ["--format", "sarif", str(p)] for n, p in files.items()}
            peaks, cpu = medians(runs)
            failures = compare("sarif", "clean", list(files)[1:], peaks, cpu, False)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

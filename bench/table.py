"""Writes the "Engine" section of bench/RESULTS.md from the benchmark JSON
output and the memory probe's lines; other sections of the file are kept."""
import json
import re
import sys

SHAPES = ("Generated", "Dense", "GeneratedObs", "DenseObs")
IDS = ("BridgingConfiguration", "BridgingServerConfiguration", "Obs", "Group",
       "NetworkAddress", "enums")
SIZES = (1000, 10000, 100000)


def medians(path):
    with open(path) as f:
        data = json.load(f)
    med, extra = {}, {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        name = b.get("run_name", b["name"])
        # Every figure in microseconds, whatever unit the benchmark used.
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b.get("time_unit", "ns")]
        # Processor time: on a shared machine, wall time also counts the
        # other jobs' share of the CPUs.
        med[name] = b["cpu_time"] * scale
        extra[name] = b
    return data.get("context", {}), med, extra


def memory(path):
    runs, current = {}, None
    with open(path) as f:
        for line in f:
            words = line.split()
            if words[:1] == ["run"]:
                current = (words[1], words[2])
                runs[current] = {}
            elif current and len(words) == 2:
                runs[current][words[0]] = int(words[1])
    return runs


def section(ctx, med, extra, mem):
    out = ["## Engine", ""]
    out.append(f"Machine: {ctx.get('num_cpus')} CPUs, {ctx.get('date')}; Release build; median of "
               f"{ctx.get('repetitions', 3)} repetitions of processor time per call; times in milliseconds. \"validate\" is "
               "the library now, \"before\" the old valijson pipeline, \"valijson\" valijson "
               "alone on a schema compiled once (no issues built); ratios are to the nlohmann "
               "parse of the same text.")
    out.append("")
    for shape in SHAPES:
        out.append(f"### {shape}")
        out.append("")
        out.append("| n | bytes | parse | validate | before | valijson | validate / parse "
                   "| before / parse | valijson / parse |")
        out.append("|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
        for n in SIZES:
            names = [f"BM_{k}/{shape}/{n}" for k in ("Parse", "Validate", "Before",
                                                     "ValijsonAlone")]
            if any(name not in med for name in names):
                continue
            p, v, b, a = (med[name] / 1e3 for name in names)
            size = int(extra[names[0]].get("bytes", 0))
            out.append(f"| {n} | {size} | {p:.1f} | {v:.1f} | {b:.1f} | {a:.1f} | {v / p:.2f} "
                       f"| {b / p:.2f} | {a / p:.2f} |")
        out.append("")
    out.append("### Fixed cost of a call (microseconds)")
    out.append("")
    out.append("Small valid document, and a document that exercises next to nothing.")
    out.append("")
    out.append("| schema id | small document | fixed cost | fixed cost before |")
    out.append("|---|---:|---:|---:|")
    for sid in IDS:
        s, c, b = (med.get(f"BM_{k}/{sid}") for k in ("SmallDocument", "FixedCost",
                                                       "FixedCostBefore"))
        if None not in (s, c, b):
            out.append(f"| {sid} | {s:.2f} | {c:.2f} | {b:.1f} |")
    sc = med.get("BM_Validate_SelfCheckObs")
    if sc is not None:
        out.append("")
        out.append(f"Self-check valid Obs composite: {sc:.1f} us")
    if mem:
        out.append("")
        out.append("### Memory at n = 100000 (kB)")
        out.append("")
        out.append("Extra peak resident memory of one call over the resident size with the "
                   "document parsed and the schemas compiled.")
        out.append("")
        out.append("| shape | parsed document | extra peak, validate | % | extra peak, before | % |")
        out.append("|---|---:|---:|---:|---:|---:|")
        for shape in ("generated", "dense", "generated-obs", "dense-obs"):
            now, old = mem.get(("validate", shape)), mem.get(("before", shape))
            if not now or not old:
                continue
            doc = now["document_kb"]
            out.append(f"| {shape} | {doc} | {now['extra_peak_kb']} | "
                       f"{100.0 * now['extra_peak_kb'] / doc:.1f} | {old['extra_peak_kb']} | "
                       f"{100.0 * old['extra_peak_kb'] / doc:.1f} |")
    out.append("")
    return "\n".join(out)


def main(results, memory_path, target):
    ctx, med, extra = medians(results)
    text = section(ctx, med, extra, memory(memory_path))
    try:
        with open(target) as f:
            old = f.read()
    except FileNotFoundError:
        old = ""
    pattern = re.compile(r"^## Engine\n.*?(?=^## |\Z)", re.S | re.M)
    if pattern.search(old):
        new = pattern.sub(lambda _: text + "\n", old, count=1)
    else:
        new = (old.rstrip() + "\n\n" if old.strip() else "") + text + "\n"
    with open(target, "w") as f:
        f.write(new)
    print(text)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], sys.argv[3])

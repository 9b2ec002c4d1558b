"""Turns Google Benchmark JSON output into the parse/validate ratio table."""
import json
import sys


def main(path):
    with open(path) as f:
        data = json.load(f)
    # Median of the repetitions, in microseconds.
    med = {}
    extra = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        name = b["run_name"] if "run_name" in b else b["name"]
        med[name] = b["real_time"]
        extra[name] = b
    ctx = data.get("context", {})
    print(f"Machine: {ctx.get('num_cpus')} CPUs, {ctx.get('date')}; median of "
          f"{ctx.get('repetitions', 3)} repetitions; times in microseconds.\n")
    for kind in ("Bridging", "Obs"):
        schema = "BridgingConfiguration" if kind == "Bridging" else "Obs"
        print(f"### {schema}\n")
        print("| n | bytes | parse (us) | validate (us) | validate / parse |")
        print("|---:|---:|---:|---:|---:|")
        for n in (10, 100, 1000, 10000, 100000):
            p = med.get(f"BM_Parse_{kind}/{n}")
            v = med.get(f"BM_Validate_{kind}/{n}")
            if p is None or v is None:
                continue
            size = int(extra[f"BM_Parse_{kind}/{n}"].get("bytes", 0))
            print(f"| {n} | {size} | {p:.1f} | {v:.1f} | {v / p:.2f} |")
        print()
    print("### Small documents and the fixed cost of a call\n")
    print("| schema id | small valid document (us) | fixed cost (us) |")
    print("|---|---:|---:|")
    for sid in ("BridgingConfiguration", "BridgingServerConfiguration", "Obs", "Group",
                "NetworkAddress", "enums"):
        s = med.get(f"BM_SmallDocument/{sid}")
        c = med.get(f"BM_FixedCost/{sid}")
        if s is not None and c is not None:
            print(f"| {sid} | {s:.1f} | {c:.1f} |")
    sc = med.get("BM_Validate_SelfCheckObs")
    if sc is not None:
        print(f"\nSelf-check valid Obs composite: {sc:.1f} us")


if __name__ == "__main__":
    main(sys.argv[1])

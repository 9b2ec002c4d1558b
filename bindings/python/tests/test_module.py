"""The Python module against the tool and the fixtures. Run from the build
tree's bindings/python folder on sys.path; ORVEX_TOOL names the tool whose
reports the module's results must match."""
import ast
import json
import math
import os
import pathlib
import subprocess
import tempfile
import threading
import time
import unittest

import orvexconfigvalidate as ocv

ROOT = pathlib.Path(__file__).resolve().parents[3]
EXAMPLES = ROOT / "examples"
FIXTURES = ROOT / "tests" / "selfcheck" / "fixtures"
STUBS = pathlib.Path(ocv.__file__).with_name("_native.pyi")


def read(path):
    return pathlib.Path(path).read_text(encoding="utf-8")


def places(result):
    return [(i.source, i.code, i.severity, i.pointer, i.line, i.column) for i in result.issues]


def rss_kib():
    with open("/proc/self/status", encoding="ascii") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise AssertionError("no VmRSS")


class Checks(unittest.TestCase):
    def test_texts_against_their_schemas(self):
        # file, schema id, ok, codes that must be among the issues
        cases = [
            (FIXTURES / "valid_server.json", "BridgingServerConfiguration", True, set()),
            (FIXTURES / "valid_bridges.json", "BridgingConfiguration", True, set()),
            (FIXTURES / "invalid_missing_engine_policy.json", "BridgingServerConfiguration", False, {"schema"}),
            (FIXTURES / "invalid_dangling_ref.json", "BridgingConfiguration", False, {"missing_group_ref"}),
            (FIXTURES / "valid_bridges.json", "group", False, {"unknown_schema"}),
        ]
        for path, schema_id, ok, codes in cases:
            with self.subTest(path=path.name, schema_id=schema_id):
                result = ocv.check_text(read(path), schema_id)
                self.assertEqual(result.ok, ok, result.issues)
                self.assertEqual(bool(result), ok)
                self.assertLessEqual(codes, {i.code for i in result.issues})
                for issue in result.issues:
                    self.assertIn(issue.severity, ("error", "warning", "info"))
                    if issue.code != "unknown_schema":
                        self.assertGreaterEqual(issue.line, 1)
                        self.assertGreaterEqual(issue.column, 1)

    def test_pair_matches_the_tool(self):
        tool = os.environ.get("ORVEX_TOOL")
        if not tool:
            self.skipTest("ORVEX_TOOL is not set")
        for folder in ("good", "broken"):
            with self.subTest(folder=folder):
                server, bridges = EXAMPLES / folder / "orvexbridged_conf.json", EXAMPLES / folder / "bridges.json"
                result = ocv.check_pair(read(server), read(bridges).encode())
                run = subprocess.run([tool, "--format", "json", "--max-issues", "0", "--server", str(server),
                                      "--bridges", str(bridges)], capture_output=True, text=True, check=False)
                self.assertEqual(run.returncode, 0 if result.ok else 1, run.stderr)
                expected = sorted((pathlib.Path(f["file"]).name, i["code"], i["line"], i["column"])
                                  for f in json.loads(run.stdout)["files"] for i in f["issues"])
                names = {0: server.name, 1: bridges.name}
                actual = sorted((names[i.source], i.code, i.line, i.column) for i in result.issues)
                self.assertEqual(actual, expected)

    def test_value_gives_the_text_results_without_places(self):
        for path, schema_id in [(FIXTURES / "invalid_dangling_ref.json", "BridgingConfiguration"),
                                (FIXTURES / "invalid_missing_engine_policy.json", "BridgingServerConfiguration"),
                                (EXAMPLES / "broken" / "bridges.json", "BridgingConfiguration")]:
            with self.subTest(path=path.name):
                text = ocv.check_text(read(path), schema_id)
                value = ocv.check_value(json.loads(read(path)), schema_id)
                self.assertEqual(value.ok, text.ok)
                self.assertEqual([(i.code, i.pointer) for i in value.issues],
                                 [(i.code, i.pointer) for i in text.issues])
                self.assertTrue(all(i.line is None and i.column is None for i in value.issues))

    def test_envelope_value_is_the_pair(self):
        server = json.loads(read(EXAMPLES / "broken" / "orvexbridged_conf.json"))
        bridges = json.loads(read(EXAMPLES / "broken" / "bridges.json"))
        value = ocv.check_value({"server": server, "bridges": bridges}, "Obs")
        pair = ocv.check_pair(read(EXAMPLES / "broken" / "orvexbridged_conf.json"),
                              read(EXAMPLES / "broken" / "bridges.json"))
        prefix = {0: "/server", 1: "/bridges"}
        self.assertEqual(sorted((i.code, i.pointer) for i in value.issues),
                         sorted((i.code, prefix[i.source] + i.pointer) for i in pair.issues))

    def test_folder_checks_each_deployment(self):
        with tempfile.TemporaryDirectory() as root:
            for name in ("good", "broken"):
                (pathlib.Path(root) / name).mkdir()
                for file in (EXAMPLES / name).iterdir():
                    (pathlib.Path(root) / name / file.name).write_bytes(file.read_bytes())
            lone = pathlib.Path(root) / "lone"
            lone.mkdir()
            (lone / "bridges.json").write_text(read(FIXTURES / "invalid_dangling_ref.json"))
            found = {pathlib.Path(d.server_file or d.bridges_file).parent.name: d for d in ocv.check_folder(root)}
        self.assertEqual(sorted(found), ["broken", "good", "lone"])
        self.assertTrue(found["good"].ok)
        self.assertFalse(found["broken"].ok)
        self.assertEqual(found["lone"].server_file, "")
        self.assertIn("missing_group_ref", {i.code for i in found["lone"].result.issues})
        for deployment in found.values():
            for issue in deployment.result.issues:
                self.assertIn(issue.file, (deployment.server_file, deployment.bridges_file))
        broken = found["broken"].result.issues
        self.assertTrue(any(i.file.endswith("bridges.json") and i.source == 1 for i in broken))

    def test_safe_fixes(self):
        good = read(EXAMPLES / "good" / "orvexbridged_conf.json")
        doubled = good.replace('"mode": 3,', '"mode": 1, "mode": 3,', 1)
        before = ocv.check_text(doubled, "BridgingServerConfiguration")
        self.assertEqual([(i.code, i.fixable) for i in before.issues], [("duplicate_key", True)])
        fixed = ocv.fix_text(doubled, "BridgingServerConfiguration")
        self.assertEqual(fixed.applied, 1)
        self.assertEqual(json.loads(fixed.text), json.loads(good))
        self.assertEqual(ocv.check_text(fixed.text, "BridgingServerConfiguration").issues, [])
        bridges = read(EXAMPLES / "good" / "bridges.json")
        server_fix, bridges_fix = ocv.fix_pair(doubled, bridges)
        self.assertEqual((server_fix.applied, bridges_fix.applied), (1, 0))
        self.assertEqual(bridges_fix.text, bridges)
        # Bytes in, bytes out: a text is never decoded on its way back.
        self.assertEqual(ocv.fix_text(doubled.encode(), "BridgingServerConfiguration").text,
                         fixed.text.encode())


class BadInput(unittest.TestCase):
    def test_values_without_a_json_form_raise(self):
        cycle = []
        cycle.append(cycle)
        deep = []
        for _ in range(5000):
            deep = [deep]
        cases = [
            ({"groups": {1, 2}}, TypeError, "/groups"),
            ({"groups": [{"rx": {"port": math.nan}}]}, ValueError, "/groups/0/rx/port"),
            ({"a/b": [math.inf]}, ValueError, "/a~1b/0"),
            ({"n": 2 ** 70}, ValueError, "/n"),
            ({"n": -(2 ** 64)}, ValueError, "/n"),
            ({1: "x"}, TypeError, "key at /"),
            ({"b": b"bytes"}, TypeError, "/b"),
            (object(), TypeError, "at /"),
            (cycle, ValueError, "nested deeper"),
            (deep, ValueError, "nested deeper"),
        ]
        for value, error, message in cases:
            with self.subTest(message=message):
                with self.assertRaises(error) as raised:
                    ocv.check_value(value, "BridgingConfiguration")
                self.assertIn(message, str(raised.exception))

    def test_json_values_of_every_kind_are_taken(self):
        # Every kind of value, each wrong for the schema: the messages quote
        # the values, so a value converted wrongly reads differently.
        value = {"id": "grp-\u00fc", "type": 1.5, "name": None, "bridgeTargetOutputDetail": {"mode": True},
                 "rx": {"address": 7, "port": 2 ** 64 - 1}, "tx": {"address": "x", "port": -2},
                 "vortapoints": ({"id": False},), "a/b~": [1, (2, 3), 0.25]}
        from_value = ocv.check_value(value, "Group", strict=True)
        from_text = ocv.check_text(json.dumps(value), "Group", strict=True)
        self.assertGreaterEqual(len(from_value.issues), 6)
        self.assertEqual([(i.code, i.pointer, i.message) for i in from_value.issues],
                         [(i.code, i.pointer, i.message) for i in from_text.issues])

    def test_wrong_arguments_raise(self):
        with tempfile.NamedTemporaryFile() as file:
            cases = [
                (lambda: ocv.check_text(42, "Group"), TypeError),
                (lambda: ocv.check_text("\ud800", "Group"), UnicodeEncodeError),
                (lambda: ocv.check_pair("{}", None), TypeError),
                (lambda: ocv.check_text("{}", "Group", strict="yes"), TypeError),
                (lambda: ocv.check_folder("/no/such/folder"), FileNotFoundError),
                (lambda: ocv.check_folder(file.name), NotADirectoryError),
            ]
            for call, error in cases:
                with self.subTest(error=error.__name__):
                    self.assertRaises(error, call)

    def test_broken_texts_are_issues(self):
        for text in ["", "{", "\x00", b"\xff\xfe", '{"id": "\ud800"}'.encode("utf-8", "surrogatepass")]:
            with self.subTest(text=text):
                result = ocv.check_text(text, "Group")
                self.assertFalse(result.ok)
                # Texts quoting bytes that are not UTF-8 still read as str.
                self.assertTrue(all(isinstance(i.message, str) and repr(i) for i in result.issues))
                if isinstance(text, str):
                    self.assertEqual(result.issues[0].code, "parse_error")


class Runtime(unittest.TestCase):
    def test_the_check_lets_other_threads_run(self):
        groups = [{"id": f"g{i}", "type": 1, "rx": {"address": "239.1.1.1", "port": 4000 + i % 1000}}
                  for i in range(40000)]
        text = json.dumps({"groups": groups, "bridges": []})
        start = time.perf_counter()
        ocv.check_text(text, "BridgingConfiguration")
        alone = time.perf_counter() - start
        worker = threading.Thread(target=ocv.check_text, args=(text, "BridgingConfiguration"))
        gaps, last = [], time.perf_counter()
        worker.start()
        while worker.is_alive():
            now = time.perf_counter()
            gaps.append(now - last)
            last = now
        worker.join()
        # Holding the GIL would stop this loop for the whole check.
        self.assertLess(max(gaps), alone / 2, f"longest pause {max(gaps):.3f} s, check {alone:.3f} s")

    def test_ten_thousand_calls_keep_memory_bounded(self):
        server = read(EXAMPLES / "broken" / "orvexbridged_conf.json")
        bridges = read(EXAMPLES / "broken" / "bridges.json")
        value = json.loads(bridges)

        def calls(count):
            for index in range(count):
                if index % 3 == 0:
                    ocv.check_pair(server, bridges).issues[0].message
                elif index % 3 == 1:
                    ocv.check_value(value, "BridgingConfiguration")
                else:
                    with self.assertRaises(ValueError):
                        ocv.check_value({"x": [math.nan]}, "Group")

        calls(1000)
        before = rss_kib()
        calls(10000)
        growth = rss_kib() - before
        self.assertLess(growth, 2048, f"RSS grew by {growth} KiB over 10,000 calls")


class Stubs(unittest.TestCase):
    def test_stubs_name_what_the_module_has(self):
        tree = ast.parse(STUBS.read_text(encoding="utf-8"))
        stubbed = {}
        for node in tree.body:
            if isinstance(node, ast.ClassDef):
                stubbed[node.name] = {n.name for n in node.body if isinstance(n, ast.FunctionDef)}
            elif isinstance(node, ast.FunctionDef):
                stubbed[node.name] = None
            elif isinstance(node, ast.AnnAssign) and node.target.id != "Text":
                stubbed[node.target.id] = None
        public = {name for name in dir(ocv._native) if not name.startswith("_")} | {"__version__"}
        self.assertEqual(set(stubbed), public)
        for name, members in stubbed.items():
            if members is not None:
                attributes = {m for m in vars(getattr(ocv, name)) if not m.startswith("_")}
                self.assertEqual(members - {"__bool__"}, attributes, name)
        self.assertEqual(sorted(ocv.__all__), sorted(public))


if __name__ == "__main__":
    unittest.main()

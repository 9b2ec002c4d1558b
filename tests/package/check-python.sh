# Sourced by tests/package/run with the packages installed: the Python module
# imports from Debian's place, not from this tree, and checks the examples;
# the Ansible engine lies where Ansible looks for collections.
(
    cd /
    PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 - "$source/examples" <<'PY'
import pathlib, sys
import orvexconfigvalidate as ocv
assert ocv.__file__.startswith("/usr/lib/python3/dist-packages/"), ocv.__file__
examples = pathlib.Path(sys.argv[1])
for folder, ok in (("good", True), ("broken", False)):
    result = ocv.check_pair((examples / folder / "orvexbridged_conf.json").read_text(),
                            (examples / folder / "bridges.json").read_text())
    assert result.ok is ok, (folder, result.issues)
PY
) || fail "the installed Python module does not check the examples"
[ -f /usr/share/ansible/collections/ansible_collections/orvex/configvalidate/plugins/sub_plugins/validate/config.py ] ||
    fail "the Ansible engine is not installed with the Python module"
[ -f /usr/lib/python3/dist-packages/orvexconfigvalidate/_native.pyi ] ||
    fail "the Python module's type stubs are not installed"
echo "installed Python module: examples/good ok, examples/broken not ok"

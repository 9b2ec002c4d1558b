#!/usr/bin/env bash
# Runs the repository's pre-commit hooks with Debian's pre-commit on a scratch
# configuration repository: a good commit passes, a broken one is stopped, a
# server mode that its bridges file does not fit is stopped by the
# deployment hook, a bridges file is judged with the server file that names
# it, and files that are not configuration files are left alone. Offline, and
# without touching the caller's home.
#   pre-commit-hook.sh TOOL_DIR SOURCE_DIR
set -euo pipefail
tool_dir=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home PRE_COMMIT_HOME=$scratch/pre-commit PATH="$tool_dir:$PATH"
export GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_NAME=hook-test GIT_AUTHOR_EMAIL=hook-test@example.invalid
export GIT_COMMITTER_NAME=hook-test GIT_COMMITTER_EMAIL=hook-test@example.invalid
mkdir -p "$HOME"
git_init() { git -c init.defaultBranch=main init -q "$1"; }
fail() { echo "FAIL: $1"; echo "--- pre-commit output ---"; cat "$scratch/out"; exit 1; }

# try-repo takes the hook manifest from a repository of its own.
hooks=$scratch/hooks
git_init "$hooks"
cp "$source_dir/.pre-commit-hooks.yaml" "$hooks/"
git -C "$hooks" add .pre-commit-hooks.yaml
git -C "$hooks" commit -qm hooks

repo=$scratch/config
git_init "$repo"
cd "$repo"
try_hook() {
    set +e
    pre-commit try-repo "$hooks" "${1:-orvex-config-validate}" "${@:2}" >"$scratch/out" 2>&1
    status=$?
    set -e
}

mkdir north
cp "$source_dir/examples/good/orvexbridged_conf.json" "$source_dir/examples/good/bridges.json" north/
git add north
try_hook
[ "$status" -eq 0 ] || fail "good files: exit status $status"
grep -q '^orvex-config-validate\.*Passed' "$scratch/out" || fail "good files: hook did not pass"
git commit -qm "good configuration"

cp "$source_dir/examples/broken/bridges.json" north/bridges.json
git add north
try_hook
[ "$status" -eq 1 ] || fail "broken bridges file: exit status $status"
grep -q '^orvex-config-validate\.*Failed' "$scratch/out" || fail "broken bridges file: hook did not fail"
grep -q '^north/bridges\.json:[0-9]*:[0-9]*: error: .*\[missing_group_ref\]$' "$scratch/out" ||
    fail "broken bridges file: the tool's diagnostics are missing"
git reset -q --hard

# A server mode that its groups do not fit: the file hook judges the server
# file with the bridges file it names, as the deployment hook does.
sed 's/"mode": 3,/"mode": 2,/' "$source_dir/examples/good/orvexbridged_conf.json" >north/orvexbridged_conf.json
grep -q '"mode": 2,' north/orvexbridged_conf.json || fail "could not set the server mode"
git add north
try_hook
[ "$status" -eq 1 ] || fail "mode 2 server, file hook: exit status $status"
grep -q '^north/orvexbridged_conf\.json: checked with the bridges file north/bridges\.json, which it names$' \
    "$scratch/out" || fail "mode 2 server, file hook: the bridges file read is not named"
grep -q '^north/bridges\.json:[0-9]*:[0-9]*: error: .*\[mode_requires_audio_group\]$' "$scratch/out" ||
    fail "mode 2 server, file hook: the cross-file error is missing"
try_hook orvex-config-validate-deployments
[ "$status" -eq 1 ] || fail "mode 2 server, deployment: exit status $status"
grep -q '^orvex-config-validate (deployments)\.*Failed' "$scratch/out" ||
    fail "mode 2 server, deployment: hook did not fail"
grep -q '^north/bridges\.json:[0-9]*:[0-9]*: error: .*\[mode_requires_audio_group\]$' "$scratch/out" ||
    fail "mode 2 server, deployment: the cross-file error is missing"
git reset -q --hard
try_hook orvex-config-validate-deployments --all-files --verbose
[ "$status" -eq 0 ] || fail "good deployment: exit status $status"
grep -q '^1 deployment, 2 files checked: 0 errors' "$scratch/out" ||
    fail "good deployment: the tool did not check the folder"

# A valid mode 1 deployment: its bridges file passes the file hook, judged
# with the server file that names it (alone, mode 3 would refuse it); a
# group that mode 1 does not allow is stopped by the same hook.
mkdir east
cp "$source_dir/tests/tool/inputs/claimed/mode1/orvexbridged_conf.json" east/
git add east
git commit -qm "a mode 1 server"
cp "$source_dir/tests/tool/inputs/claimed/mode1/bridges.json" east/
git add east/bridges.json
try_hook orvex-config-validate --verbose
[ "$status" -eq 0 ] || fail "mode 1 bridges file: exit status $status"
grep -q '^east/bridges\.json: checked with the server file east/orvexbridged_conf\.json, which names it$' \
    "$scratch/out" || fail "mode 1 bridges file: the server file used is not named"
sed 's/"id": "field", "type": 1,/"id": "field", "type": 3,/' \
    "$source_dir/tests/tool/inputs/claimed/mode1/bridges.json" >east/bridges.json
grep -q '"type": 3,' east/bridges.json || fail "could not break the mode 1 bridges file"
git add east/bridges.json
try_hook
[ "$status" -eq 1 ] || fail "broken mode 1 bridges file: exit status $status"
grep -q '^east/bridges\.json:[0-9]*:[0-9]*: error: .*\[mode_requires_audio_group\]$' "$scratch/out" ||
    fail "broken mode 1 bridges file: the file hook did not judge it with its server"
git reset -q --hard HEAD~1

# A bridges file of another name, named by its server: the file hook does not
# know it, the deployment hook checks it.
mkdir south
sed 's/"bridgingConfigurationFileName": "[^"]*"/"bridgingConfigurationFileName": "north-bridges.json"/' \
    "$source_dir/examples/good/orvexbridged_conf.json" >south/orvexbridged_conf.json
grep -q '"north-bridges.json"' south/orvexbridged_conf.json || fail "could not name north-bridges.json"
cp "$source_dir/examples/good/bridges.json" south/north-bridges.json
git add south
git commit -qm "a custom bridges file name"
cp "$source_dir/examples/broken/bridges.json" south/north-bridges.json
git add south
try_hook orvex-config-validate-deployments
[ "$status" -eq 1 ] || fail "broken north-bridges.json: exit status $status"
grep -q '^south/north-bridges\.json:[0-9]*:[0-9]*: error: .*\[missing_group_ref\]$' "$scratch/out" ||
    fail "broken north-bridges.json: the deployment hook did not check it"
git reset -q --hard HEAD~1
rm -rf south

echo '{"not": "a configuration file"}' >notes.json
git add notes.json
try_hook
[ "$status" -eq 0 ] || fail "other JSON file: exit status $status"
grep -q '^orvex-config-validate\.*(no files to check)Skipped' "$scratch/out" ||
    fail "other JSON file: hook was not skipped"
git rm -q --cached notes.json
rm notes.json

# The configurations of docs/ci.md, exactly as written there: the YAML block
# that holds the given line.
doc_config() {
    awk -v want="$1" '
        /^```yaml$/ { inside = 1; block = ""; next }
        /^```$/ && inside { inside = 0; if (index(block, want)) { printf "%s", block; exit } }
        inside { block = block $0 "\n" }' "$source_dir/docs/ci.md"
}
run_config() {
    set +e
    pre-commit run --all-files --config "$1" >"$scratch/out" 2>&1
    status=$?
    set -e
}
# A valid mode-1 deployment: audio groups that the server forces to
# multistream, fine as a pair though not as a bridges file alone (mode 3).
mkdir west
sed 's/"mode": 3,/"mode": 1,/; s#"bridgingConfigurationFileName": "[^"]*"#"bridgingConfigurationFileName": "bridges.json"#' \
    "$source_dir/examples/good/orvexbridged_conf.json" >west/orvexbridged_conf.json
cat >west/bridges.json <<'JSON'
{
  "groups": [
    { "id": "{ops}", "type": 1, "name": "Ops", "rx": { "address": "239.1.2.3", "port": 4000 } },
    { "id": "{crews}", "type": 1, "name": "Crews", "tx": { "address": "239.1.2.4", "port": 4000 } }
  ],
  "bridges": [ { "id": "ops-crews", "name": "Ops to crews", "groups": ["{ops}", "{crews}"] } ]
}
JSON
orvex-config-validate --server west/orvexbridged_conf.json --bridges west/bridges.json >/dev/null ||
    { orvex-config-validate --server west/orvexbridged_conf.json --bridges west/bridges.json >"$scratch/out" 2>&1; fail "the mode-1 deployment is not valid"; }
git add west
git commit -qm "a mode-1 deployment"

doc_config "repo: local" >"$scratch/local.yaml"
grep -q 'language: system' "$scratch/local.yaml" || fail "docs/ci.md has no repo: local configuration"
run_config "$scratch/local.yaml"
[ "$status" -eq 0 ] || fail "docs/ci.md's repo: local hook: exit status $status on valid deployments"
cp "$source_dir/examples/broken/bridges.json" west/bridges.json
run_config "$scratch/local.yaml"
[ "$status" -eq 1 ] || fail "docs/ci.md's repo: local hook: exit status $status on a broken deployment"
grep -q '^west/bridges\.json:[0-9]*:[0-9]*: error: .*\[missing_group_ref\]$' "$scratch/out" ||
    fail "docs/ci.md's repo: local hook: the tool's diagnostics are missing"
git checkout -q west/bridges.json

# The remote form, with this repository in place of its address: its rev:
# must be a commit of the history every clone of main has, never a tag that
# only a working copy holds.
doc_config "rev: " >"$scratch/remote.yaml"
rev=$(sed -n 's/^ *rev: *\([^ #]*\).*/\1/p' "$scratch/remote.yaml")
[ -n "$rev" ] || fail "docs/ci.md shows no rev:"
[[ "$rev" =~ ^[0-9a-f]{40}$ ]] || fail "docs/ci.md names rev: $rev, not the full hash of a commit of main"
if [ "$(git -C "$source_dir" rev-parse --is-shallow-repository)" = true ]; then
    echo "note: $source_dir is a shallow clone; docs/ci.md's rev: $rev is run at HEAD"
    sed -i "s#^\( *rev: \)[^ ]*#\1HEAD#" "$scratch/remote.yaml"
    rev=HEAD
else
    git -C "$source_dir" merge-base --is-ancestor "$rev" HEAD 2>/dev/null ||
        fail "docs/ci.md names rev: $rev, which is not a commit in the history of $source_dir's HEAD"
fi
sed -i "s#^\( *- repo: \)[^ ]*#\1$source_dir#" "$scratch/remote.yaml"
run_config "$scratch/remote.yaml"
[ "$status" -eq 0 ] || fail "docs/ci.md's configuration at rev $rev: exit status $status on valid deployments"
grep -q '^orvex-config-validate (deployments)\.*Passed' "$scratch/out" ||
    fail "docs/ci.md's configuration at rev $rev: the hook did not run"
echo "pre-commit hooks: good commit passed, broken commit and broken deployment stopped, a mode 1 bridges file passed with its server and stopped when broken, a custom-named bridges file checked, other files skipped, docs/ci.md's configurations run as written"

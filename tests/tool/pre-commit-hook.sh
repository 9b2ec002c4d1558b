#!/usr/bin/env bash
# Runs the repository's pre-commit hook with Debian's pre-commit on a scratch
# configuration repository: a good commit passes, a broken one is stopped,
# and files that are not configuration files are left alone. Offline, and
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
    pre-commit try-repo "$hooks" orvex-config-validate >"$scratch/out" 2>&1
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

echo '{"not": "a configuration file"}' >notes.json
git add notes.json
try_hook
[ "$status" -eq 0 ] || fail "other JSON file: exit status $status"
grep -q '^orvex-config-validate\.*(no files to check)Skipped' "$scratch/out" ||
    fail "other JSON file: hook was not skipped"
echo "pre-commit hook: good commit passed, broken commit stopped, other files skipped"

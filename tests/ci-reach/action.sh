#!/usr/bin/env bash
# The GitHub Action (action.yml and action/): its schema and scripts pass
# @action-validator/cli and shellcheck, then its steps run offline against a
# download server on 127.0.0.1 that serves the release archive:
#   tests/ci-reach/action.sh RELEASE_DIR
# RELEASE_DIR is what scripts/make-release-archive wrote.
set -euo pipefail
cd "$(dirname "$0")/../.."
release=$(cd "${1:?usage: action.sh RELEASE_DIR}" && pwd)
work=$(mktemp -d)
server_pid=

fail() {
    echo "action test: $*" >&2
    exit 1
}
cleanup() {
    if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

/opt/orvex-test-tools/node_modules/.bin/action-validator action.yml >"$work/validator.out" ||
    fail "action-validator: $(cat "$work/validator.out")"
shellcheck action/install action/check
echo "action.yml passes action-validator; action/ passes shellcheck"

archive=$(find "$release" -name 'orvex-config-validate-*.tar.gz' | head -n1)
[ -n "$archive" ] || fail "no release archive under $release"
version=$(basename "$(dirname "$archive")")
version=${version#v}
sha256=$(cut -d' ' -f1 "$archive.sha256")

# The download server: any free port, written to a file once it listens.
python3 - "$release" "$work/port" <<'PY' >"$work/server.log" 2>&1 &
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
with open(sys.argv[2], "w") as out:
    out.write(str(server.server_address[1]))
server.serve_forever()
PY
server_pid=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
[ -s "$work/port" ] || fail "the download server did not start: $(cat "$work/server.log")"
url=http://127.0.0.1:$(cat "$work/port")
# A user pins the checksum that the release's .sha256 file gives.
served=$(curl -fsS "$url/v$version/$(basename "$archive").sha256" | cut -d' ' -f1)
[ "$served" = "$sha256" ] || fail "the server's checksum differs from the archive's"

wrong=$(printf '%064d' 0)
# name | status | inputs (;-separated) | what stdout must hold | what it must not
cases=(
    "good folder|0|paths=examples/good|orvex-config-validate $version|::error"
    "broken folder|1|paths=examples/broken|::error file=examples/broken/bridges.json,line=|"
    "pair|0|server=examples/good/orvexbridged_conf.json;bridges=examples/good/bridges.json|orvex-config-validate $version|::error"
    "two paths, one per line|1|paths=examples/good
examples/broken|::error file=examples/broken/|"
    "sarif|1|format=sarif;paths=examples/broken;sarif-file=out.sarif|\"sarif-file\": \"out.sarif\"|::error"
    "wrong checksum|1|sha256=$wrong;paths=examples/good|not the pinned $wrong|orvex-config-validate $version"
    "checksum of another length|1|sha256=${sha256:1};paths=examples/good|sha256 must be 64|orvex-config-validate $version"
    "unknown format|2|format=junit;paths=examples/good|format must be github or sarif|"
    "strict not a boolean|2|strict=yes;paths=examples/good|strict must be true or false|"
    "missing version on the server|1|version=9.9.9;paths=examples/good|cannot download|"
)
passed=0
for case in "${cases[@]}"; do
    IFS='|' read -r -d '' name status inputs want refuse <<<"$case" || true
    refuse=${refuse%$'\n'}
    arguments=("version=$version" "sha256=$sha256" "download-url=$url")
    IFS=';' read -r -d '' -a given <<<"$inputs" || true
    for input in "${given[@]}"; do
        input=${input%$'\n'}
        [ -n "$input" ] && arguments+=("$input")
    done
    rm -f out.sarif
    actual=0
    tests/ci-reach/run_action.py . . "${arguments[@]}" >"$work/out" 2>&1 || actual=$?
    [ "$actual" = "$status" ] || fail "$name: exit status $actual, expected $status: $(cat "$work/out")"
    grep -qF -- "$want" "$work/out" || fail "$name: no '$want' in: $(cat "$work/out")"
    if [ -n "$refuse" ] && grep -qF -- "$refuse" "$work/out"; then
        fail "$name: '$refuse' in: $(cat "$work/out")"
    fi
    if [ "$name" = sarif ]; then
        python3 -c 'import json,sys; log=json.load(open("out.sarif")); assert log["version"]=="2.1.0" and log["runs"][0]["results"], "no results"' ||
            fail "sarif: out.sarif is not a SARIF log with results"
        rm -f out.sarif
    fi
    passed=$((passed + 1))
done
echo "action run offline: $passed cases passed"

#!/usr/bin/env bash
# The tool started by its dynamic loader (as on a noexec mount) checks a
# file large enough to make it consider starting itself again, and its
# language server answers: it must never start the loader in its place.
# usage: via-loader.sh TOOL SCRATCH
set -euo pipefail
tool=$1
scratch=$2
mkdir -p "$scratch"
loader=$(readelf -l "$tool" | sed -n 's/.*Requesting program interpreter: \(.*\)]$/\1/p')
[ -x "$loader" ] || { echo "no program interpreter found for $tool"; exit 1; }

big=$scratch/bridges.json
{
    printf '{"groups": ['
    for i in $(seq 1 12000); do
        printf '{"id": "group-%06d", "type": 3, "bridgeTargetOutputDetail": {"mode": 0}, "tx": {"address": "239.0.0.1", "port": 4000}},\n' "$i"
    done
    printf '{"id": "last", "type": 3, "tx": {"address": "239.0.0.1", "port": 4000}}], "bridges": []}\n'
} > "$big"
[ "$(stat -c %s "$big")" -ge 1048576 ] || { echo "the input is under 1 MiB"; exit 1; }

status=0
out=$("$loader" "$tool" "$big" 2>&1) || status=$?
if [ "$status" != 0 ] || [ "$out" != "1 file checked: 0 errors, 0 warnings, 0 notes" ]; then
    echo "checked through the loader: status $status, output: ${out:0:400}"
    exit 1
fi

request='{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}'
exit_note='{"jsonrpc":"2.0","method":"exit"}'
frame() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
status=0
answer=$( { frame "$request"; frame "$exit_note"; } | timeout 60 "$loader" "$tool" --lsp 2>&1) || status=$?
case "$answer" in
    *'"capabilities"'*) ;;
    *) echo "the language server through the loader: status $status, output: ${answer:0:400}"; exit 1 ;;
esac
echo "ok"

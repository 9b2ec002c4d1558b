#!/usr/bin/env bash
# The tool checking a file large enough for its buffers to go on huge pages,
# and its language server, each run as one program: neither ever executes
# itself (or anything) again.
# usage: one-process.sh TOOL SCRATCH
set -euo pipefail
tool=$1
scratch=$2
mkdir -p "$scratch"

big=$scratch/bridges.json
{
    printf '{"groups": ['
    for i in $(seq 1 12000); do
        printf '{"id": "group-%06d", "type": 3, "bridgeTargetOutputDetail": {"mode": 0}, "tx": {"address": "239.0.0.1", "port": 4000}},\n' "$i"
    done
    printf '{"id": "last", "type": 3, "tx": {"address": "239.0.0.1", "port": 4000}}], "bridges": []}\n'
} > "$big"
[ "$(stat -c %s "$big")" -ge 1048576 ] || { echo "the input is under 1 MiB"; exit 1; }

# Prints how many programs the command executed, itself included.
executions() {
    strace -f -qq -e trace=execve -o "$scratch/trace" "$@" >"$scratch/out" 2>&1 || true
    grep -c 'execve(' "$scratch/trace"
}

count=$(executions "$tool" "$big")
out=$(cat "$scratch/out")
if [ "$count" != 1 ] || [ "$out" != "1 file checked: 0 errors, 0 warnings, 0 notes" ]; then
    echo "checking a large file: $count programs executed, output: ${out:0:400}"
    exit 1
fi

request='{"jsonrpc":"2.0","id":1,"method":"initialize","params":{}}'
exit_note='{"jsonrpc":"2.0","method":"exit"}'
frame() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
{ frame "$request"; frame "$exit_note"; } >"$scratch/session"
# shellcheck disable=SC2016 # the inner shell expands them
count=$(executions sh -c 'exec "$0" --lsp <"$1"' "$tool" "$scratch/session")
count=$((count - 1))  # the shell that starts it
case "$(cat "$scratch/out")" in
    *'"capabilities"'*) ;;
    *) echo "the language server: $(head -c 400 "$scratch/out")"; exit 1 ;;
esac
[ "$count" = 1 ] || { echo "the language server: $count programs executed"; exit 1; }
echo "ok"

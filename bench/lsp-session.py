#!/usr/bin/env python3
"""Writes the messages of an editor session that opens one file and leaves:
lsp-session.py FILE OUT. The server answers on its standard output."""
import json
import pathlib
import sys


def frame(message):
    body = json.dumps(message, ensure_ascii=False).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


def main():
    path = pathlib.Path(sys.argv[1]).resolve()
    text = path.read_text(encoding="utf-8")
    messages = [
        {"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {}},
        {"jsonrpc": "2.0", "method": "initialized", "params": {}},
        {"jsonrpc": "2.0", "method": "textDocument/didOpen",
         "params": {"textDocument": {"uri": path.as_uri(), "languageId": "json",
                                     "version": 1, "text": text}}},
        {"jsonrpc": "2.0", "id": 2, "method": "shutdown"},
        {"jsonrpc": "2.0", "method": "exit"},
    ]
    with open(sys.argv[2], "wb") as out:
        for message in messages:
            out.write(frame(message))


if __name__ == "__main__":
    main()

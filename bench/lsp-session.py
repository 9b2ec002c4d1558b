#!/usr/bin/env python3
"""Writes the messages of an editor session that opens one file and leaves:
lsp-session.py FILE OUT [--add-group]. With --add-group the session also
inserts a group at the start of "groups" by one ranged change, as an editor
does when a group is pasted: the whole text is then checked again. The server
answers on its standard output."""
import json
import pathlib
import sys


def frame(message):
    body = json.dumps(message, ensure_ascii=False).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


def added_group(path, text):
    at = text.index('"groups": [') + len('"groups": [')
    before = text[:at]
    line = before.count("\n")
    # The generated files are ASCII, so a character is a UTF-16 unit.
    character = len(before) - (before.rfind("\n") + 1)
    place = {"line": line, "character": character}
    return {"jsonrpc": "2.0", "method": "textDocument/didChange",
            "params": {"textDocument": {"uri": path.as_uri(), "version": 2},
                       "contentChanges": [{"range": {"start": place, "end": place},
                                           "text": '{"id": "new", "type": 1}, '}]}}


def main():
    path = pathlib.Path(sys.argv[1]).resolve()
    text = path.read_text(encoding="utf-8")
    messages = [
        {"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {}},
        {"jsonrpc": "2.0", "method": "initialized", "params": {}},
        {"jsonrpc": "2.0", "method": "textDocument/didOpen",
         "params": {"textDocument": {"uri": path.as_uri(), "languageId": "json",
                                     "version": 1, "text": text}}},
    ]
    if "--add-group" in sys.argv[3:]:
        messages.append(added_group(path, text))
    messages += [
        {"jsonrpc": "2.0", "id": 2, "method": "shutdown"},
        {"jsonrpc": "2.0", "method": "exit"},
    ]
    with open(sys.argv[2], "wb") as out:
        for message in messages:
            out.write(frame(message))


if __name__ == "__main__":
    main()

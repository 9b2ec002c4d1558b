#!/usr/bin/env python3
"""Writes the messages of an editor session that opens one file and leaves:
lsp-session.py FILE OUT [--add-group] [--edit-group] [--ask METHOD]. With
--add-group the session also inserts a group at the start of "groups" by one
ranged change, as an editor does when a group is pasted: the whole text is
then checked again. With --edit-group it types one digit inside the group
after the middle one, an edit the server carries; with --ask it then asks
METHOD (hover, definition or documentSymbol) at a bridge's reference to the
middle group. The server answers on its standard output."""
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


def position(text, offset):
    before = text[:offset]
    # The generated files are ASCII, so a character is a UTF-16 unit.
    return {"line": before.count("\n"), "character": offset - (before.rfind("\n") + 1)}


def middle_group(text):
    return text.count('{"id": "grp-') // 2


def edited_group(path, text):
    key = '"id": "grp-%d", "type": ' % (middle_group(text) + 1)
    at = text.index(key) + len(key)
    return {"jsonrpc": "2.0", "method": "textDocument/didChange",
            "params": {"textDocument": {"uri": path.as_uri(), "version": 3},
                       "contentChanges": [{"range": {"start": position(text, at),
                                                     "end": position(text, at + 1)},
                                           "text": "3"}]}}


def question(path, text, method):
    reference = '"grp-%d"' % middle_group(text)
    at = text.index(reference, text.index(reference) + 1) + 2
    params = {"textDocument": {"uri": path.as_uri()}}
    if method != "documentSymbol":
        params["position"] = position(text, at)
    return {"jsonrpc": "2.0", "id": 3, "method": "textDocument/" + method, "params": params}


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
    if "--edit-group" in sys.argv[3:]:
        messages.append(edited_group(path, text))
    if "--ask" in sys.argv[3:]:
        messages.append(question(path, text, sys.argv[sys.argv.index("--ask") + 1]))
    messages += [
        {"jsonrpc": "2.0", "id": 2, "method": "shutdown"},
        {"jsonrpc": "2.0", "method": "exit"},
    ]
    with open(sys.argv[2], "wb") as out:
        for message in messages:
            out.write(frame(message))


if __name__ == "__main__":
    main()

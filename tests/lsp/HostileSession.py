"""Drives orvex-config-validate --lsp through what a hostile workspace or
client can do, and checks that the server answers throughout and ends with
status 0 after shutdown and exit:

  partner-fifo    named pipes where a deployment's partner file would be
  rename-bound    renames to very long ids, with tens of thousands of references
  out-of-memory   a file of many empty groups under a capped address space
  deep-values     values nested 100,000 deep, edited beside and asked about
  repeated-version  changes that repeat the version number they follow
  workspace-walk  workspace folders at "/", listed three times, nested

Usage: HostileSession.py SCENARIO TOOL"""

import json
import os
import resource
import sys
import tempfile
import time

from lspclient import Client

SCENARIO, TOOL = sys.argv[1], sys.argv[2]

failures = []
servers = []  # every server started, ended at the last if still running


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def uri_of(path):
    return "file://" + path


def start(limit=None, root=None):
    def cap():
        resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
    client = Client([TOOL, "--lsp"], preexec_fn=cap if limit else None)
    servers.append(client.process)
    client.request("initialize", {"processId": os.getpid(),
                                  "rootUri": uri_of(root) if root else None, "capabilities": {}})
    client.notify("initialized", {})
    return client


def open_document(client, path, text):
    client.notify("textDocument/didOpen", {"textDocument": {
        "uri": uri_of(path), "languageId": "json", "version": 1, "text": text}})


def finish(client):
    """shutdown answered, then exit with status 0."""
    check(client.request("shutdown").get("result", "missing") is None, "shutdown answered")
    client.notify("exit")
    status = client.finish()
    check(status == 0, "exit status 0 after shutdown and exit, got %r" % status)


def partner_fifo(folder):
    # A bridges file open beside a pipe named as its server file, and a
    # server file open beside a pipe named as its bridges file.
    for name, other, text in (
            ("bridges.json", "orvexbridged_conf.json",
             '{"groups": [{"id": "g", "type": 3}], "bridges": [{"groups": ["nope"]}]}'),
            ("orvexbridged_conf.json", "bridges.json", '{"id": "s", "mode": 2}')):
        directory = os.path.join(folder, name.split(".")[0])
        os.mkdir(directory)
        os.mkfifo(os.path.join(directory, other))
        client = start()
        path = os.path.join(directory, name)
        open_document(client, path, text)
        client.diagnostics(uri_of(path), 1)
        finish(client)
    # A server file that names a bridges file in a subfolder, which is a
    # pipe, with the whole folder indexed as the editor's workspace: the
    # walk and the pairing pass the pipe by, from either side.
    directory = os.path.join(folder, "sub")
    os.makedirs(os.path.join(directory, "conf"))
    os.mkfifo(os.path.join(directory, "conf", "north.json"))
    server = os.path.join(directory, "orvexbridged_conf.json")
    with open(server, "w") as f:
        f.write('{"mode": 2, "enginePolicy": {}, "bridgingConfigurationFileName": "conf/north.json"}')
    for root in (None, folder):
        client = start(root=root)
        open_document(client, server, open(server).read())
        client.diagnostics(uri_of(server), 1)
        client.notify("workspace/didChangeWatchedFiles", {"changes": [
            {"uri": uri_of(os.path.join(directory, "conf", "north.json")), "type": 2}]})
        finish(client)


def rename_bound(folder):
    references = 70000
    path = os.path.join(folder, "bridges.json")
    text = ('{"groups": [{"id": "g", "type": 1}],\n "bridges": [{"id": "b", "groups": ['
            + ", ".join(['"g"'] * references) + ']}]}\n')
    client = start()
    open_document(client, path, text)
    client.diagnostics(uri_of(path), 1)
    at = {"textDocument": {"uri": uri_of(path)}, "position": {"line": 0, "character": 21}}
    for name, message in (
            ("x" * 200000, "a new group id is at most 1024 bytes long"),
            ("x" * 1025, "a new group id is at most 1024 bytes long"),
            # 70,001 places of a 1,024-byte id: more than an answer may hold.
            ("x" * 1024, "renaming every place of this id would take more than the 64 MiB "
                         "an answer may hold")):
        error = client.request("textDocument/rename", dict(at, newName=name)).get("error")
        check(error == {"code": -32803, "message": message},
              "rename to %d bytes refused: %r" % (len(name), error))
    edits = client.request("textDocument/rename", dict(at, newName="y" * 100))["result"]
    edits = edits["changes"][uri_of(path)]
    check(len(edits) == references + 1 and all(e["newText"] == '"%s"' % ("y" * 100) for e in edits),
          "rename to a 100-byte id rewrites all %d places: %d" % (references + 1, len(edits)))
    finish(client)


def out_of_memory(folder):
    # About 1 MB of text, 765,750 issues. With room, the bound of published
    # diagnostics holds; with too little, the server must say so (one
    # out_of_memory diagnostic, or a shown message), never abort: whichever
    # allocation fails, freeing the document must not need memory.
    path = os.path.join(folder, "bridges.json")
    text = '{"groups": [' + ",".join(["{}"] * 330000) + ']}'
    for limit in [1536 << 20] + [mib << 20 for mib in range(24, 97, 8)]:
        client = start(limit=limit)
        open_document(client, path, text)
        published = client.wait_for(
            lambda m: (m.get("method") == "textDocument/publishDiagnostics"
                       and m["params"]["uri"] == uri_of(path))
            or m.get("method") == "window/showMessage", timeout=50)
        if published["method"] == "window/showMessage":
            check("not enough memory" in published["params"]["message"],
                  "a shown message names the lack of memory: %r" % published["params"])
        else:
            diagnostics = published["params"]["diagnostics"]
            codes = [d.get("code") for d in diagnostics]
            bounded = (len(diagnostics) == 1001 and
                       diagnostics[-1]["message"].endswith(" more issues not shown"))
            check(bounded or codes == ["out_of_memory"],
                  "at %d MiB: the bounded diagnostics, or one out_of_memory, published: %d"
                  % (limit >> 20, len(diagnostics)))
        check(limit > 24 << 20 or published["method"] == "window/showMessage" or
              [d.get("code") for d in published["params"]["diagnostics"]] == ["out_of_memory"],
              "at 24 MiB the server is out of memory and says so")
        finish(client)


def deep_values(folder):
    # A group holds a value nested 100,000 deep; an edit of the group after
    # it is carried over from the version before, and each feature walks
    # the document: none may recurse once per level.
    depth = 100000
    path = os.path.join(folder, "bridges.json")
    head = '{"groups": [{"id": "g", "type": 1, "x": ' + "[" * depth + "]" * depth + '},\n'
    text = head + ' {"id": "h", "type": 1}],\n "bridges": [{"id": "b", "groups": ["g", "h"]}]}\n'
    client = start()
    open_document(client, path, text)
    client.diagnostics(uri_of(path), 1)
    uri = {"uri": uri_of(path)}
    edit = {"range": {"start": {"line": 1, "character": 21}, "end": {"line": 1, "character": 22}},
            "text": "2"}
    client.notify("textDocument/didChange", {"textDocument": dict(uri, version=2),
                                             "contentChanges": [edit]})
    published = client.diagnostics(uri_of(path), 2)
    check(published is not None, "diagnostics after an edit beside the deep value")
    inside = {"textDocument": uri, "position": {"line": 0, "character": 40 + depth // 2}}
    for method, params in (("textDocument/documentSymbol", {"textDocument": uri}),
                           ("textDocument/foldingRange", {"textDocument": uri}),
                           ("textDocument/documentLink", {"textDocument": uri}),
                           ("textDocument/hover", inside), ("textDocument/completion", inside),
                           ("textDocument/codeLens", {"textDocument": uri})):
        answer = client.request(method, params)
        check("result" in answer or "error" in answer, method + " answered on the deep value")
    client.notify("textDocument/didChange", {"textDocument": dict(uri, version=3),
                                             "contentChanges": [{"text": text}]})
    client.diagnostics(uri_of(path), 3)
    finish(client)


def offset_of(text, position):
    """A position's offset in an ASCII text."""
    lines = text.split("\n")
    return sum(len(line) + 1 for line in lines[:position["line"]]) + position["character"]


def position_of(text, offset):
    before = text[:offset]
    return {"line": before.count("\n"), "character": offset - (before.rfind("\n") + 1)}


def apply_edits(text, edits):
    """LSP text edits applied as a client applies them: all against the
    text they were made for, from the last one back."""
    spans = sorted(((offset_of(text, e["range"]["start"]), offset_of(text, e["range"]["end"]),
                     e["newText"]) for e in edits), reverse=True)
    for start, end, new in spans:
        text = text[:start] + new + text[end:]
    return text


def repeated_version(folder):
    # A client that sends a change under the version number it already
    # sent: the server must answer from the text it now holds, not from the
    # check of the text that first had that number. A large text takes the
    # path that carries its result over the edit.
    path = os.path.join(folder, "bridges.json")
    uri = uri_of(path)

    def groups(count):
        return ", ".join('{"id": "g%d", "type": 1, "bridgeTargetOutputDetail": {"mode": 2}, '
                         '"rx": {"address": "239.1.1.%d", "port": %d}}'
                         % (i, i % 250 + 1, 4000 + i) for i in range(count))
    tail = '{"id": "b1", "groups": ["g1", "g2"]}, {"id": "b2", "groups": ["g2", "g1"]}'
    added = ', {"id": "b3", "groups": ["g1", "zz"]}'
    for name, count, ranged, version in (
            ("whole text", 3, False, 1),
            ("ranged", 3, True, 1),
            ("ranged, large text", 2000, True, 7),
            ("whole text, no version", 3, False, None)):
        text = '{"groups": [%s],\n "bridges": [%s]}\n' % (groups(count), tail)
        client = start()
        document = {"uri": uri}
        if version is not None:
            document["version"] = version
        client.notify("textDocument/didOpen", {"textDocument": dict(
            document, languageId="json", text=text)})
        client.diagnostics(uri)
        # An undefined group added in a third bridge, then defined.
        for before, after, unresolved in ((tail, tail + added, True), ('"zz"', '"g2"', False)):
            at, end = text.index(before), text.index(before) + len(before)
            insert = after
            change = {"text": text[:at] + insert + text[end:]}
            if ranged:
                change = {"range": {"start": position_of(text, at), "end": position_of(text, end)},
                          "text": insert}
            text = text[:at] + insert + text[end:]
            client.notify("textDocument/didChange", {"textDocument": document,
                                                     "contentChanges": [change]})
            codes = [d.get("code") for d in client.diagnostics(uri)]
            check(codes == (["missing_group_ref"] if unresolved else []),
                  "%s: the repeated version's own issues published (%s): %r"
                  % (name, "an undefined group" if unresolved else "resolved", codes))
            edits = client.request("textDocument/formatting", {
                "textDocument": {"uri": uri},
                "options": {"tabSize": 2, "insertSpaces": True}})["result"]
            try:
                formatted = json.loads(apply_edits(text, edits))
                kept = [b["id"] for b in formatted["bridges"]] == ["b1", "b2", "b3"]
                kept = kept and len(formatted["groups"]) == count
            except ValueError as e:
                kept = "not JSON: %s" % e
            check(kept is True, "%s: the formatting edit applied to the client's text keeps "
                                "every group and bridge: %s" % (name, kept))
        finish(client)


def workspace_walk(folder):
    # The bridges file opened through a link from a sibling folder: only the
    # walk of the workspace pairs it with the server that names it.
    os.makedirs(os.path.join(folder, "a", "conf"))
    os.makedirs(os.path.join(folder, "b", "deep"))
    os.symlink("../a/conf", os.path.join(folder, "b", "link"))
    with open(os.path.join(folder, "a", "orvexbridged_conf.json"), "w") as f:
        f.write('{"mode": 2, "enginePolicy": {}, "bridgingConfigurationFileName": "conf/north.json"}')
    text = '{"groups": [{"id": "g", "type": 3, "rx": {"address": "239.1.1.1", "port": 4000}}]}'
    with open(os.path.join(folder, "a", "conf", "north.json"), "w") as f:
        f.write(text)
    north = os.path.join(folder, "b", "link", "north.json")
    inner = os.path.join(folder, "b", "deep")
    for name, params, paired in (
            ("rooted at /", {"rootUri": "file:///"}, None),
            ("one folder listed three times, and folders inside it",
             {"rootUri": uri_of(folder), "workspaceFolders": [
                 {"uri": uri_of(f), "name": "w"}
                 for f in (folder, inner, folder + "/", folder, os.path.join(folder, "b"))]},
             True)):
        client = Client([TOOL, "--lsp"])
        servers.append(client.process)
        began = time.monotonic()
        asked = client.start_request("initialize", dict(params, processId=os.getpid(),
                                                        capabilities={}))
        client.wait_for(lambda m: m.get("id") == asked, timeout=120)
        took = time.monotonic() - began
        check(took < 2, "%s: initialize answered in %.1f s" % (name, took))
        client.notify("initialized", {})
        open_document(client, north, text)
        codes = [d["code"] for d in client.diagnostics(uri_of(north))]
        # Judged with the server that names it through the link. Whether a
        # walk of "/" reaches this folder within its bound depends on the
        # machine: there the diagnostics need only come.
        check(paired is None or "mode_requires_audio_group" in codes,
              "%s: the bridges file is judged with its server: %r" % (name, codes))
        finish(client)
        walks = [m["params"]["message"] for m in client.pending
                 if m.get("method") == "window/logMessage"
                 and m["params"]["message"].startswith("indexed the workspace folder ")]
        expected = "indexed the workspace folder %s: " % (folder if paired else "/")
        check(len(walks) == 1 and walks[0].startswith(expected),
              "%s: one walk of the folder: %r" % (name, walks))


def main():
    scenarios = {"partner-fifo": partner_fifo, "rename-bound": rename_bound,
                 "out-of-memory": out_of_memory, "deep-values": deep_values,
                 "repeated-version": repeated_version, "workspace-walk": workspace_walk}
    try:
        with tempfile.TemporaryDirectory(prefix="orvex-lsp-hostile-") as folder:
            scenarios[SCENARIO](os.path.realpath(folder))
    finally:
        for server in servers:
            if server.poll() is None:
                server.kill()
                server.wait()
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

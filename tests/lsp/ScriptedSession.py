"""Drives orvex-config-validate --lsp through whole sessions over pipes and
checks every answer: diagnostics with exact ranges, their refresh and
clearing, hover, definition, completion, references, highlights, renames,
outline, code lenses, links, folding, quick fixes, ranged changes,
deployment pairs, malformed input, shutdown and exit.

Usage: ScriptedSession.py TOOL"""

import json
import os
import sys
import tempfile

from lspclient import Client

TOOL = sys.argv[1]

BROKEN = "\n".join([
    '{',
    '  "groups": [',
    '    {"id": "g1", "type": 1, "name": "Dispatch", "tx": {"a": 1}, "bridgeTargetOutputDetail": {"mode": 1}},',
    '    {"id": "g1", "type": 1, "tx": {"a": 1}, "bridgeTargetOutputDetail": {"mode": 1}},',
    '    {"id": "g2", "name": "Radio \u00e9\U0001F600", "type": 3, "bridgeTargetOutputDetail": {"mode": 7}, "rx": {"a": 1}}',
    '  ],',
    '  "bridges": [',
    '    {"id": "b1", "groups": ["g1", "zz"]}',
    '  ]',
    '}',
    ''])

FIXED = BROKEN.replace(
    '    {"id": "g1", "type": 1, "tx": {"a": 1}, "bridgeTargetOutputDetail": {"mode": 1}},\n', ''
).replace('{"mode": 7}', '{"mode": 0}').replace('"zz"', '"g2"')

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def equal(actual, expected, what):
    check(actual == expected, "%s:\n  got      %s\n  expected %s" % (
        what, json.dumps(actual, ensure_ascii=False), json.dumps(expected, ensure_ascii=False)))


def rng(line, start, end, end_line=None):
    return {"start": {"line": line, "character": start},
            "end": {"line": line if end_line is None else end_line, "character": end}}


def at(uri, line, character):
    return {"textDocument": {"uri": uri}, "position": {"line": line, "character": character}}


def uri_of(path):
    return "file://" + path


def summary(diagnostics):
    """The fields compared exactly; schema messages belong to the validator."""
    out = []
    for d in diagnostics:
        entry = {"range": d["range"], "severity": d["severity"], "code": d["code"],
                 "source": d["source"]}
        if d["code"] != "schema":
            entry["message"] = d["message"]
        if "relatedInformation" in d:
            entry["related"] = [(r["location"]["uri"], r["location"]["range"])
                                for r in d["relatedInformation"]]
        out.append(entry)
    return out


def initialize(client, options=None):
    params = {"processId": os.getpid(), "rootUri": None, "capabilities": {}}
    if options is not None:
        params["initializationOptions"] = options
    response = client.request("initialize", params)
    client.notify("initialized", {})
    return response


def open_file(client, path, text, version=1):
    client.notify("textDocument/didOpen", {"textDocument": {
        "uri": uri_of(path), "languageId": "json", "version": version, "text": text}})


def change(client, path, text, version):
    client.notify("textDocument/didChange", {
        "textDocument": {"uri": uri_of(path), "version": version},
        "contentChanges": [{"text": text}]})


def first_paragraph(hover):
    """What a hover says of the value, before the member's documentation."""
    return hover["contents"]["value"].split("\n\n")[0]


def main_session(folder):
    bridges = os.path.join(folder, "bridges.json")
    uri = uri_of(bridges)
    client = Client([TOOL, "--lsp"])

    # Requests before initialize are refused; the server stays usable.
    early = client.request("textDocument/hover", at(uri, 0, 0))
    equal(early.get("error", {}).get("code"), -32002, "request before initialize")

    response = initialize(client, {"schemas": {"group.json": "Group", "typo.json": "NoSuch"}})
    capabilities = response["result"]["capabilities"]
    equal(capabilities["textDocumentSync"]["change"], 2, "ranged text sync")
    equal(capabilities["textDocumentSync"]["openClose"], True, "open/close notifications")
    for provider in ("hoverProvider", "definitionProvider", "referencesProvider",
                     "documentHighlightProvider", "documentSymbolProvider", "foldingRangeProvider"):
        equal(capabilities.get(provider), True, provider)
    equal(capabilities.get("renameProvider"), {"prepareProvider": True}, "rename announced")
    equal(capabilities.get("codeActionProvider"), {"codeActionKinds": ["quickfix"]},
          "quick fixes announced")
    for provider in ("codeLensProvider", "documentLinkProvider"):
        equal(capabilities.get(provider), {"resolveProvider": False}, provider)
    check("completionProvider" in capabilities, "completion announced")
    warning = client.wait_for(lambda m: m.get("method") == "window/logMessage")
    check("typo.json" in warning["params"]["message"], "unknown schema id in options is logged")

    # A broken bridges file: exact diagnostics, ranges in UTF-16 units.
    open_file(client, bridges, BROKEN)
    diagnostics = client.diagnostics(uri, version=1)
    equal(summary(diagnostics), [
        {"range": rng(4, 86, 87), "severity": 1, "code": "schema", "source": "orvex"},
        {"range": rng(3, 4, 84), "severity": 1, "code": "duplicate_group_id", "source": "orvex",
         "message": "Duplicate group id 'g1' (also at index 0)",
         "related": [(uri, rng(2, 4, 104))]},
        {"range": rng(7, 34, 38), "severity": 1, "code": "missing_group_ref", "source": "orvex",
         "message": "Bridge references group id 'zz' which has no definition"},
    ], "diagnostics of the broken file")

    # Hover.
    hover = client.request("textDocument/hover", at(uri, 4, 46))["result"]
    equal(first_paragraph(hover), "3 = gtRaw", "hover on a group type")
    equal(hover["contents"]["kind"], "markdown", "a member's hover is Markdown")
    check("**Group type**" in hover["contents"]["value"], "a group type's hover documents it")
    equal(hover["range"], rng(4, 46, 47), "hover range")
    hover = client.request("textDocument/hover", at(uri, 2, 94))["result"]
    equal(first_paragraph(hover), "1 = bomMultistream", "hover on an output mode key")
    hover = client.request("textDocument/hover", at(uri, 4, 86))["result"]
    equal(first_paragraph(hover), "7 = no bridge target output mode", "hover on a bad mode")
    hover = client.request("textDocument/hover", at(uri, 7, 30))["result"]
    equal(hover["contents"]["value"], "Group 'Dispatch' at index 0, gtAudio, referenced by 1 bridge",
          "hover on a bridge's group id")
    hover = client.request("textDocument/hover", at(uri, 7, 35))["result"]
    equal(hover["contents"]["value"], "No group defines id 'zz'", "hover on an undefined id")
    equal(client.request("textDocument/hover", at(uri, 0, 0))["result"], None, "hover elsewhere")

    # Definition: the first group that carries the id.
    definition = client.request("textDocument/definition", at(uri, 7, 29))["result"]
    equal(definition, {"uri": uri, "range": rng(2, 4, 104)}, "definition of a bridge's group id")
    equal(client.request("textDocument/definition", at(uri, 7, 36))["result"], None,
          "definition of an undefined id")

    # Completion inside a string of a bridge's "groups": what is typed
    # filters, and is replaced.
    result = client.request("textDocument/completion", at(uri, 7, 36))["result"]
    equal(result["items"], [], "no id starts with what is typed")
    result = client.request("textDocument/completion", at(uri, 7, 35))["result"]
    items = result["items"]
    equal([i["label"] for i in items], ["g1", "g2"], "completion labels")
    equal(items[0]["textEdit"], {"range": rng(7, 35, 35), "newText": "g1"}, "completion edit")
    equal(items[1]["detail"], "Radio \u00e9\U0001F600 (index 2)", "completion detail")
    equal(client.request("textDocument/completion", at(uri, 2, 10))["result"]["items"], [],
          "no completion where the schema offers nothing (a string's start)")

    # Half typed: one parse error; completion still offers the ids.
    typing = BROKEN.split("\n")
    typing[7] = '    {"id": "b1", "groups": ["g1", "'
    typing = "\n".join(typing[:8])
    change(client, bridges, typing, 2)
    diagnostics = client.diagnostics(uri, version=2)
    equal([(d["code"], d["range"]["start"]["line"]) for d in diagnostics], [("parse_error", 7)],
          "a text that does not parse has one diagnostic")
    result = client.request("textDocument/completion", at(uri, 7, 35))["result"]
    equal([(i["label"], i["textEdit"]) for i in result["items"]],
          [("g1", {"range": rng(7, 35, 35), "newText": "g1"}),
           ("g2", {"range": rng(7, 35, 35), "newText": "g2"})],
          "completion in a text that does not parse")

    # Fixed: the diagnostics are cleared.
    change(client, bridges, FIXED, 3)
    equal(client.diagnostics(uri, version=3), [], "diagnostics after the fix")

    # A file given a schema in the options, and one nobody recognises.
    group = os.path.join(folder, "group.json")
    open_file(client, group, '{"type": 1, "bridgeTargetOutputDetail": {"mode": 1},\n "tx": {"a": 1}}')
    diagnostics = client.diagnostics(uri_of(group))
    equal([(d["code"], d["range"]["start"]) for d in diagnostics],
          [("schema", {"line": 0, "character": 0})], "schema chosen in the options")
    other = os.path.join(folder, "other.json")
    open_file(client, other, '{"groups": 5}')
    equal(client.diagnostics(uri_of(other)), [], "a file of no known kind")

    # Closing clears. (Everything published so far is read once an answer
    # to a later request has come.)
    client.request("textDocument/hover", at(uri, 0, 0))
    client.drop_pending("textDocument/publishDiagnostics")
    client.notify("textDocument/didClose", {"textDocument": {"uri": uri_of(group)}})
    equal(client.diagnostics(uri_of(group)), [], "diagnostics cleared on close")

    # Malformed input never ends the session.
    client.send_raw(b"Content-Length: 8\r\n\r\nnot json")
    error = client.wait_for(lambda m: "error" in m and m.get("id") is None)
    equal(error["error"]["code"], -32700, "body that is not JSON")
    client.send_raw(b"Content-Type: text/plain\r\n\r\n")
    logged = client.wait_for(lambda m: m.get("method") == "window/logMessage")
    check("Content-Length" in logged["params"]["message"], "header without length is logged")
    client.send({"jsonrpc": "1.0", "id": 51, "method": "shutdown"})
    error = client.wait_for(lambda m: m.get("id") == 51)
    equal(error["error"]["code"], -32600, "wrong jsonrpc version")
    error = client.request("no/such/method", {})
    equal(error["error"]["code"], -32601, "unknown method")
    error = client.request("textDocument/hover", {"textDocument": {"uri": uri}})
    equal(error["error"]["code"], -32602, "hover without a position")
    error = client.request("textDocument/hover", at("file:///not/open.json", 0, 0))
    equal(error["error"]["code"], -32602, "hover on a document that is not open")
    # The fixed text lost line 3: the raw group now sits on line 3.
    client.send([{"jsonrpc": "2.0", "id": 60, "method": "textDocument/hover",
                  "params": at(uri, 3, 46)},
                 {"jsonrpc": "2.0", "method": "$/cancelRequest", "params": {"id": 1}},
                 5])
    batch = client.wait_for(lambda m: isinstance(m, list))
    equal(len(batch), 2, "batch answers: the request and the bad element")
    equal(first_paragraph(batch[0]["result"]), "3 = gtRaw", "batch request answered")
    equal(batch[1]["error"]["code"], -32600, "batch element that is no message")
    client.send_raw(b"Content-Length: 70000000\r\n\r\n" + b" " * 70000000)
    logged = client.wait_for(lambda m: m.get("method") == "window/logMessage")
    check("refused" in logged["params"]["message"], "oversized message refused")
    hover = client.request("textDocument/hover", at(uri, 3, 46))
    equal(first_paragraph(hover["result"]), "3 = gtRaw", "served after the oversized message")

    # Orderly end.
    equal(client.request("shutdown"), {"jsonrpc": "2.0", "id": client.next_id - 1, "result": None},
          "shutdown")
    error = client.request("textDocument/hover", at(uri, 4, 46))
    equal(error["error"]["code"], -32600, "requests after shutdown")
    client.notify("exit")
    equal(client.finish(), 0, "exit status after shutdown and exit")


EDITED = "\n".join([
    '{',
    '  "groups": [',
    '    {"id": "g1", "name": "Dispatch", "type": 1},',
    '    {"id": "g2", "type": 3},',
    '    {"id": "g3", "name": "Spare", "type": 2}',
    '  ],',
    '  "bridges": [',
    '    {"id": "b1", "name": "North", "groups": ["g1", "g2"]},',
    '    {"id": "b2", "enabled": false, "groups": ["g1", "g1"]}',
    '  ]',
    '}',
    ''])


def find(text, line, needle, skip=0):
    """The column of the first byte of needle on a line of an ASCII text."""
    row = text.split("\n")[line]
    column = row.index(needle)
    for _ in range(skip):
        column = row.index(needle, column + 1)
    return column


def apply_edits(text, edits):
    """A WorkspaceEdit's text edits applied to an ASCII text."""
    lines = text.split("\n")
    starts = [0]
    for line in lines:
        starts.append(starts[-1] + len(line) + 1)
    offset = lambda p: starts[p["line"]] + p["character"]
    for edit in sorted(edits, key=lambda e: offset(e["range"]["start"]), reverse=True):
        text = (text[:offset(edit["range"]["start"])] + edit["newText"] +
                text[offset(edit["range"]["end"]):])
    return text


def group_id_session(client, uri, text):
    g1_def = find(text, 2, '"g1"')
    g1_last = find(text, 8, '"g1"', 1)
    g1_sites = [rng(2, g1_def, g1_def + 4), rng(7, find(text, 7, '"g1"'), find(text, 7, '"g1"') + 4),
                rng(8, find(text, 8, '"g1"'), find(text, 8, '"g1"') + 4),
                rng(8, g1_last, g1_last + 4)]
    for line, column, what in ((8, g1_last + 2, "a reference"), (2, g1_def + 1, "the definition")):
        found = client.request("textDocument/references", dict(
            at(uri, line, column), context={"includeDeclaration": True}))["result"]
        equal([r["range"] for r in found], g1_sites, "references of g1 from " + what)
        equal(sorted({r["uri"] for r in found}), [uri], "references name the document")
    found = client.request("textDocument/references", dict(
        at(uri, 8, g1_last + 2), context={"includeDeclaration": False}))["result"]
    equal([r["range"] for r in found], g1_sites[1:], "references without the definition")
    equal(client.request("textDocument/references", at(uri, 3, 20))["result"], None,
          "no references on a group's type")
    g2 = find(text, 3, '"g2"')
    highlights = client.request("textDocument/documentHighlight",
                                at(uri, 7, find(text, 7, '"g2"') + 1))["result"]
    equal(highlights, [{"range": rng(3, g2, g2 + 4), "kind": 3},
                       {"range": rng(7, find(text, 7, '"g2"'), find(text, 7, '"g2"') + 4),
                        "kind": 2}], "highlights of g2: written once, read once")

    prepared = client.request("textDocument/prepareRename", at(uri, 3, g2 + 2))["result"]
    equal(prepared, {"range": rng(3, g2, g2 + 4), "placeholder": "g2"}, "prepareRename on g2")
    equal(client.request("textDocument/prepareRename", at(uri, 2, 30))["result"], None,
          "prepareRename on a group's name")
    renamed = client.request("textDocument/rename", dict(at(uri, 8, g1_last + 1),
                                                         newName='main "1"'))["result"]
    equal(list(renamed["changes"]), [uri], "rename edits the document only")
    equal(apply_edits(text, renamed["changes"][uri]), text.replace('"g1"', '"main \\"1\\""'),
          "rename of g1 rewrites its definition and every reference, escaped")
    for name, message in (("", "a group id cannot be empty"),
                          ("g3", "a group already defines id 'g3'")):
        error = client.request("textDocument/rename", dict(at(uri, 2, g1_def + 1), newName=name))
        equal(error.get("error"), {"code": -32803, "message": message}, "rename to %r refused" % name)


def outline_session(client, uri):
    symbols = client.request("textDocument/documentSymbol", {"textDocument": {"uri": uri}})["result"]
    outline = [(s["name"], s["kind"], [(c["name"], c["detail"], c["kind"], c["selectionRange"])
                                        for c in s["children"]]) for s in symbols]
    equal(outline, [
        ("groups", 18, [("Dispatch", "id g1, gtAudio", 23, rng(2, 4, 47)),
                        ("g2", "id g2, gtRaw", 23, rng(3, 4, 27)),
                        ("Spare", "id g3, gtPresence", 23, rng(4, 4, 44))]),
        ("bridges", 18, [("North", "id b1, enabled", 5, rng(7, 4, 57)),
                         ("b2", "id b2, disabled", 5, rng(8, 4, 58))])],
          "outline: sections, groups (name, id, type) and bridges (name, id, enabled)")
    equal(symbols[0]["range"], rng(1, 12, 3, 5), "a section's range spans its value")

    lenses = client.request("textDocument/codeLens", {"textDocument": {"uri": uri}})["result"]
    equal([(l["range"]["start"]["line"], l["command"]["title"]) for l in lenses],
          [(2, "referenced by 2 bridges"), (3, "referenced by 1 bridge"),
           (4, "referenced by 0 bridges")], "code lenses count referencing bridges")

    folds = client.request("textDocument/foldingRange", {"textDocument": {"uri": uri}})["result"]
    equal(sorted((f["startLine"], f["endLine"]) for f in folds), [(0, 9), (1, 4), (6, 8)],
          "folding of the objects and arrays that span lines")


def completion_labels(client, uri, line, character):
    result = client.request("textDocument/completion", at(uri, line, character))["result"]
    return result["isIncomplete"], [i["label"] for i in result["items"]], result["items"]


def completion_session(client, path, uri, text):
    # A ranged change appends a fourth group that is still empty.
    end = len(text.split("\n")[4])
    client.notify("textDocument/didChange", {
        "textDocument": {"uri": uri, "version": 2},
        "contentChanges": [{"range": rng(4, end, end), "text": ",\n    {}"},
                           {"range": rng(5, 6, 6), "text": ",\n    {\"name\": \"x\", }"}]})
    client.diagnostics(uri, version=2)
    incomplete, labels, items = completion_labels(client, uri, 5, 5)
    equal(labels[:2], ["id", "type"], "required members come first")
    by_label = {i["label"]: i for i in items}
    ordered = sorted(items, key=lambda i: i["sortText"])
    equal([i["label"] for i in ordered[:2]], ["id", "type"], "required members sort first")
    documentation = by_label["type"].get("documentation", {})
    equal(documentation.get("kind"), "markdown", "a member's documentation is Markdown")
    check(documentation.get("value", "").startswith("**Group type**\n\n") and
          "- Values: `0` gtUnknown, `1` gtAudio, `2` gtPresence, `3` gtRaw" in documentation["value"],
          "a member's documentation names its values: %r" % documentation)
    check(all("documentation" in i for i in items), "every offered member is documented")
    equal(by_label["id"]["textEdit"], {"range": rng(5, 5, 5), "newText": '"id": '}, "member edit")
    check("bridgeTargetOutputDetail" in labels and "name" in labels, "optional members offered")
    _, labels, _ = completion_labels(client, uri, 6, 18)
    check("name" not in labels and "id" in labels, "members already present are not offered: %r"
          % labels)

    # Value completion: enum names, booleans.
    client.notify("textDocument/didChange", {
        "textDocument": {"uri": uri, "version": 3},
        "contentChanges": [{"range": rng(5, 5, 5), "text": '"type": '}]})
    _, labels, items = completion_labels(client, uri, 5, 13)
    equal(labels, ["0 \u2014 gtUnknown", "1 \u2014 gtAudio", "2 \u2014 gtPresence", "3 \u2014 gtRaw"],
          "enum values with their names")
    equal(items[1]["textEdit"]["newText"], "1", "an enum value inserts the number")
    enabled = find(text, 8, "false")
    _, labels, _ = completion_labels(client, uri, 10, enabled)
    equal(labels, ["true", "false"], "a boolean member offers true and false")

    # Group ids, filtered by what is typed.
    g2_ref = find(text, 7, '"g2"')
    _, labels, items = completion_labels(client, uri, 9, g2_ref + 3)
    equal(labels, ["g2"], "group ids filtered by what is typed")
    equal(items[0]["textEdit"]["range"], rng(9, g2_ref + 1, g2_ref + 3), "the typed part is replaced")
    incomplete, labels, _ = completion_labels(client, uri, 9, g2_ref + 1)
    equal((incomplete, labels), (False, ["g1", "g2", "g3"]), "every id when nothing is typed")


def link_session(client, folder, uri):
    server = os.path.join(folder, "orvexbridged_conf.json")
    server_text = '{\n  "mode": 0,\n  "bridgingConfigurationFileName": "/etc/o/bridges.json"\n}\n'
    open_file(client, server, server_text)
    client.diagnostics(uri_of(server))
    links = client.request("textDocument/documentLink",
                           {"textDocument": {"uri": uri_of(server)}})["result"]
    equal([(l["range"], l["target"]) for l in links], [(rng(2, 36, 55), uri)],
          "the server file links its bridges file (by its last component, beside it)")
    hover = client.request("textDocument/hover", at(uri_of(server), 1, 4))["result"]
    equal(first_paragraph(hover), "0 = omRaw", "hover on the server mode's key")
    client.notify("textDocument/didClose", {"textDocument": {"uri": uri_of(server)}})


def member_docs_session(client, folder):
    """Hover on ordinary members documents them, in both files of a deployment."""
    os.mkdir(os.path.join(folder, "docs"))
    server = os.path.join(folder, "docs", "orvexbridged_conf.json")
    bridges = os.path.join(folder, "docs", "bridges.json")
    open_file(client, server, '{\n  "enginePolicy": {},\n  "statusUpload": {"timeoutSecs": 0}\n}\n')
    open_file(client, bridges, '{"groups": [{"id": "g", "type": 1, "name": "G", "tx": {"a": 1}}],\n'
                               ' "bridges": [{"groups": ["g"], "lossGraceMs": 10}]}\n')
    client.diagnostics(uri_of(bridges))
    cases = [(server, 2, 24, "**Upload timeout**", ["- Range: at least 1", "- Unit: seconds"]),
             (bridges, 0, 39, "**Group name**", ["- Type: string"]),
             (bridges, 1, 34, "**Loss grace time**", ["- Range: at least 0", "- Unit: milliseconds"])]
    for path, line, character, title, facts in cases:
        hover = client.request("textDocument/hover", at(uri_of(path), line, character))["result"]
        value = (hover or {}).get("contents", {}).get("value", "")
        check(value.startswith(title + "\n\n") and all(f in value for f in facts),
              "hover documents %s: %r" % (title, value))
    for path in (server, bridges):
        client.notify("textDocument/didClose", {"textDocument": {"uri": uri_of(path)}})


def code_action_session(client, folder):
    path = os.path.join(folder, "typo.json")
    text = ('{"groups": [{"id": "radio", "type": 3, "rx": {"a": 1}}],\n'
            ' "bridges": [{"id": "b", "groups": ["radi"]}]}\n')
    open_file(client, path, text)
    diagnostics = client.diagnostics(uri_of(path))
    equal([d["code"] for d in diagnostics], ["missing_group_ref"], "strict: a misspelt reference")
    typo = find(text, 1, '"radi"')
    actions = client.request("textDocument/codeAction", {
        "textDocument": {"uri": uri_of(path)}, "range": rng(1, typo + 2, typo + 2),
        "context": {"diagnostics": diagnostics}})["result"]
    equal([(a["kind"], a.get("isPreferred"), [d["code"] for d in a["diagnostics"]])
           for a in actions], [("quickfix", None, ["missing_group_ref"])],
          "one quick fix for the reference under the cursor, not preferred: "
          "another group is the operator's choice")
    edits = actions[0]["edit"]["changes"][uri_of(path)]
    equal(apply_edits(text, edits), text.replace('"radi"', '"radio"'),
          "the quick fix names the one close id")
    elsewhere = client.request("textDocument/codeAction", {
        "textDocument": {"uri": uri_of(path)}, "range": rng(0, 0, 3),
        "context": {"diagnostics": []}})["result"]
    equal(elsewhere, [], "no quick fix away from the diagnostic")


def editor_session(folder):
    path = os.path.join(folder, "bridges.json")
    uri = uri_of(path)
    client = Client([TOOL, "--lsp"])
    # Strict: close names are suggested, and fixed.
    initialize(client, {"strict": True, "schemas": {"typo.json": "BridgingConfiguration"}})
    open_file(client, path, EDITED)
    client.diagnostics(uri)
    group_id_session(client, uri, EDITED)
    outline_session(client, uri)
    link_session(client, folder, uri)
    member_docs_session(client, folder)
    code_action_session(client, folder)
    completion_session(client, path, uri, EDITED)
    client.request("shutdown")
    client.notify("exit")
    equal(client.finish(), 0, "editor session exit status")


def pair_session(folder):
    server = os.path.join(folder, "orvexbridged_conf.json")
    bridges = os.path.join(folder, "bridges.json")
    server_text = '{\n  "mode": 2,\n  "enginePolicy": {}\n}\n'
    with open(server, "w") as f:
        f.write(server_text)
    bridges_text = '{"groups": [\n  {"id": "r1", "type": 3, "rx": {"a": 1}}\n]}\n'
    client = Client([TOOL, "--lsp"])
    initialize(client)

    # The server file on disk decides the mode.
    open_file(client, bridges, bridges_text)
    equal([(d["code"], d["range"]) for d in client.diagnostics(uri_of(bridges))],
          [("mode_requires_audio_group", rng(1, 2, 41)), ("mode_force_mixed", rng(1, 2, 41))],
          "bridges judged with the server file on disk")

    # The open server text decides, and a change to it refreshes the bridges.
    open_file(client, server, server_text)
    equal(client.diagnostics(uri_of(server)), [], "server file diagnostics")
    equal([d["code"] for d in client.diagnostics(uri_of(bridges))],
          ["mode_requires_audio_group", "mode_force_mixed"], "bridges with the open server text")
    change(client, server, server_text.replace('"mode": 2', '"mode": 0'), 2)
    equal(client.diagnostics(uri_of(server), version=2), [], "server file after its change")
    equal([d["code"] for d in client.diagnostics(uri_of(bridges))], [],
          "bridges refreshed when the server's mode changes to omRaw with a raw group")
    change(client, server, server_text.replace('"mode": 2', '"mode": 1'), 3)
    equal([d["code"] for d in client.diagnostics(uri_of(bridges))],
          ["mode_requires_audio_group", "mode_force_multistream"], "bridges under mode 1")
    # The server names another bridges file: this one is judged alone.
    change(client, server, server_text.replace(
        '"mode": 2', '"mode": 1, "bridgingConfigurationFileName": "/etc/x/other.json"'), 4)
    equal(client.diagnostics(uri_of(bridges)), [], "bridges no longer paired")
    client.notify("textDocument/didClose", {"textDocument": {"uri": uri_of(server)}})
    equal(client.diagnostics(uri_of(server)), [], "server closed")
    equal([d["code"] for d in client.diagnostics(uri_of(bridges))],
          ["mode_requires_audio_group", "mode_force_mixed"], "back to the file on disk")

    # Saving re-checks; a server file changed on disk is taken up when the
    # editor reports the change.
    client.notify("textDocument/didSave", {"textDocument": {"uri": uri_of(bridges)}})
    equal([d["code"] for d in client.diagnostics(uri_of(bridges))],
          ["mode_requires_audio_group", "mode_force_mixed"], "after a save")
    with open(server, "w") as f:
        f.write(server_text.replace('"mode": 2', '"mode": 0'))
    client.notify("workspace/didChangeWatchedFiles",
                  {"changes": [{"uri": uri_of(server), "type": 2}]})
    equal(client.diagnostics(uri_of(bridges)), [], "after the server file changed on disk")

    # Exit without shutdown.
    client.notify("exit")
    equal(client.finish(), 1, "exit status without shutdown")


def subfolder_session(folder):
    # The server file names a bridges file in a subfolder; the folder is the
    # editor's workspace, and the client registers watchers when asked.
    os.mkdir(os.path.join(folder, "conf"))
    server = os.path.join(folder, "orvexbridged_conf.json")
    bridges = os.path.join(folder, "conf", "north.json")
    server_text = ('{"mode": 2, "enginePolicy": {}, '
                   '"bridgingConfigurationFileName": "conf/north.json"}\n')
    bridges_text = '{"groups": [{"id": "r1", "type": 3, "rx": {"a": 1}}]}\n'
    for path, text in ((server, server_text), (bridges, bridges_text)):
        with open(path, "w") as f:
            f.write(text)
    client = Client([TOOL, "--lsp"])
    client.request("initialize", {
        "processId": os.getpid(), "rootUri": uri_of(folder),
        "capabilities": {"workspace": {"didChangeWatchedFiles": {"dynamicRegistration": True}}}})
    client.notify("initialized", {})
    registration = client.wait_for(lambda m: m.get("method") == "client/registerCapability")
    equal([r["method"] for r in registration["params"]["registrations"]],
          ["workspace/didChangeWatchedFiles"], "the watcher is registered")
    client.send({"jsonrpc": "2.0", "id": registration["id"], "result": None})
    # Alone, then after a one-byte edit: judged with the server file on disk.
    open_file(client, bridges, bridges_text)
    equal([d["code"] for d in client.diagnostics(uri_of(bridges))],
          ["mode_requires_audio_group", "mode_force_mixed"], "subfolder bridges file alone")
    change(client, bridges, bridges_text + " ", 2)
    equal([d["code"] for d in client.diagnostics(uri_of(bridges), version=2)],
          ["mode_requires_audio_group", "mode_force_mixed"], "after a one-byte edit")
    # The server file changed on disk to mode 0.
    with open(server, "w") as f:
        f.write(server_text.replace('"mode": 2', '"mode": 0'))
    client.notify("workspace/didChangeWatchedFiles",
                  {"changes": [{"uri": uri_of(server), "type": 2}]})
    equal(client.diagnostics(uri_of(bridges)), [], "after the server file changed on disk")
    check(client.request("shutdown").get("result", "missing") is None, "shutdown answered")
    client.notify("exit")
    equal(client.finish(), 0, "exit status after shutdown")


def large_group(i):
    return ('    {"id": "g%d", "type": 1, "name": "Gr\u00fcppe %d \U0001F4FB",\n'
            '     "bridgeTargetOutputDetail": {"mode": 2},\n'
            '     "vortapoints": [{"host": {"address": "vp.example.net", "port": 7443}}]}' % (i, i))


def large_session(folder, other_folder):
    """Edits of a large file are re-checked element by element; the result
    must be what a fresh check of the same text gives."""
    count = 1000
    groups = ",\n".join(large_group(i) for i in range(count))
    bridges = ",\n".join('    {"id": "b%d", "groups": ["g%d", "g%d"]}' % (i, i, (i + 1) % count)
                          for i in range(count))
    text = '{\n  "groups": [\n' + groups + '\n  ],\n  "bridges": [\n' + bridges + '\n  ]\n}\n'
    check(len(text.encode("utf-8")) > 128 * 1024, "the large text is above the size checked by elements")
    edited_path = os.path.join(folder, "bridges.json")
    fresh_path = os.path.join(other_folder, "bridges.json")
    client = Client([TOOL, "--lsp"])
    initialize(client)
    open_file(client, edited_path, text)
    equal(client.diagnostics(uri_of(edited_path)), [], "the large text is clean")
    edits = [
        text.replace('"id": "g150", "type": 1', '"id": "g150", "type": 3'),
        text.replace('"port": 7443}}]}', '"port": -1}}],\n "x": "\u00e9\n"}', 1),
        text.replace('"id": "g7",', '"id": "g8",'),
        text.replace('["g20", "g21"]', '["g20", "nope", 5, "g21"]'),
        text.replace('"name": "Gr\u00fcppe 30 \U0001F4FB"', '"name": "x", "name": "y"'),
        text,
    ]
    current = text
    for version, edited in enumerate(edits, start=2):
        check(edited != current, "edit %d changes the text" % version)
        current = edited
        change(client, edited_path, edited, version)
        carried = client.diagnostics(uri_of(edited_path), version=version)
        open_file(client, fresh_path, edited, version)
        fresh = client.diagnostics(uri_of(fresh_path), version=version)
        client.notify("textDocument/didClose", {"textDocument": {"uri": uri_of(fresh_path)}})
        client.diagnostics(uri_of(fresh_path))
        key = lambda d: json.dumps(d, sort_keys=True)
        fresh = [dict(d, relatedInformation=[dict(r, location=dict(r["location"], uri="-"))
                                             for r in d.get("relatedInformation", [])])
                 for d in fresh]
        carried = [dict(d, relatedInformation=[dict(r, location=dict(r["location"], uri="-"))
                                               for r in d.get("relatedInformation", [])])
                   for d in carried]
        equal(sorted(carried, key=key), sorted(fresh, key=key),
              "edit %d of the large file: carried diagnostics" % version)
        check(version == len(edits) + 1 or len(fresh) > 0, "edit %d draws issues" % version)
    client.request("shutdown")
    client.notify("exit")
    equal(client.finish(), 0, "large session exit status")


def hostile_session(folder):
    """Messages no editor sends: nested a million levels deep, a schema
    directory whose replacement is not JSON, ranged changes by the
    thousand, and "params": null on shutdown and exit."""
    with open(os.path.join(folder, "Group.schema.json"), "w") as schema:
        schema.write('{"type": "object",}')
    client = Client([TOOL, "--lsp"])
    initialize(client, {"schemaDir": folder})
    shown = client.wait_for(lambda m: m.get("method") == "window/showMessage")
    check("Group.schema.json' is not used, it is not JSON: parse error at line 1, column 19"
          in shown["params"]["message"], "ignored schema file shown: %r" % shown["params"])

    deep = b'{"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": ' + \
        b"[" * 1000000 + b"]" * 1000000 + b"}"
    deep_request = b'{"jsonrpc": "2.0", "id": 41, "method": "textDocument/hover", "params": ' + \
        b"[" * 100000 + b'"' + b"x" * 5000 + b'"' + b"]" * 100000 + b"}"
    for body in (deep, deep_request):
        client.send_raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        answer = client.wait_for(lambda m: "error" in m and m.get("id") is None)
        equal(answer["error"]["code"], -32600, "deeply nested message refused")

    path = os.path.join(folder, "notes.txt")
    line = "x" * 99 + "\n"
    open_file(client, path, line * 30000)
    changes = [{"range": rng(i, 99, 0, i + 1), "text": "\u00e9\n"} for i in range(0, 30000, 2)]
    client.notify("textDocument/didChange", {
        "textDocument": {"uri": uri_of(path), "version": 2}, "contentChanges": changes})
    # Answered at once after the change: the server was not stuck on it.
    hover = client.request("textDocument/hover", at(uri_of(path), 0, 0))
    equal(hover.get("result"), None, "hover after many ranged changes")

    client.send({"jsonrpc": "2.0", "id": 99, "method": "shutdown", "params": None})
    reply = client.wait_for(lambda m: m.get("id") == 99)
    equal(reply, {"jsonrpc": "2.0", "id": 99, "result": None}, "shutdown with null params")
    client.send({"jsonrpc": "2.0", "method": "exit", "params": None})
    equal(client.finish(), 0, "exit status after shutdown with null params")


def end_of_input_session():
    client = Client([TOOL, "--lsp"])
    initialize(client)
    equal(client.finish(), 1, "exit status when the input ends")


with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
    main_session(first)
    pair_session(second)
    with tempfile.TemporaryDirectory() as editing:
        editor_session(editing)
    with tempfile.TemporaryDirectory() as subfolder:
        subfolder_session(os.path.realpath(subfolder))
    with tempfile.TemporaryDirectory() as third, tempfile.TemporaryDirectory() as fourth:
        large_session(third, fourth)
    end_of_input_session()
    with tempfile.TemporaryDirectory() as fifth:
        hostile_session(fifth)

if failures:
    print("%d check(s) failed" % len(failures))
    sys.exit(1)
print("all checks passed")

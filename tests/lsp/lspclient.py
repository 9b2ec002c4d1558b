"""A small language-server client for tests: spawns the server, frames
messages, and waits for answers and notifications with a deadline."""

import json
import queue
import subprocess
import threading
import time

TIMEOUT = 15.0


class ServerGone(Exception):
    pass


class Client:
    def __init__(self, command, cwd=None, preexec_fn=None):
        self.process = subprocess.Popen(
            command, cwd=cwd, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=subprocess.PIPE, preexec_fn=preexec_fn)
        self.incoming = queue.Queue()
        self.pending = []  # messages read but not yet asked for
        self.next_id = 1
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        out = self.process.stdout
        try:
            while True:
                headers = {}
                while True:
                    line = out.readline()
                    if not line:
                        raise EOFError
                    line = line.rstrip(b"\r\n")
                    if not line:
                        break
                    name, _, value = line.decode("ascii").partition(":")
                    headers[name.strip().lower()] = value.strip()
                length = int(headers["content-length"])
                body = out.read(length)
                if len(body) != length:
                    raise EOFError
                self.incoming.put(json.loads(body.decode("utf-8")))
        except EOFError:
            self.incoming.put(None)

    # Sending.
    def send_raw(self, data):
        self.process.stdin.write(data)
        self.process.stdin.flush()

    def send(self, message):
        body = json.dumps(message).encode("utf-8")
        self.send_raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)

    def notify(self, method, params=None):
        message = {"jsonrpc": "2.0", "method": method}
        if params is not None:
            message["params"] = params
        self.send(message)

    def start_request(self, method, params=None):
        request_id = self.next_id
        self.next_id += 1
        message = {"jsonrpc": "2.0", "id": request_id, "method": method}
        if params is not None:
            message["params"] = params
        self.send(message)
        return request_id

    def request(self, method, params=None):
        """The whole response message of one request."""
        request_id = self.start_request(method, params)
        return self.wait_for(lambda m: m.get("id") == request_id and "method" not in m)

    # Receiving.
    def wait_for(self, matches, timeout=TIMEOUT):
        for i, message in enumerate(self.pending):
            if matches(message):
                return self.pending.pop(i)
        deadline = time.monotonic() + timeout
        while True:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise TimeoutError("no matching message; unclaimed: %r" % self.pending)
            try:
                message = self.incoming.get(timeout=remaining)
            except queue.Empty:
                continue
            if message is None:
                raise ServerGone("server closed its output; unclaimed: %r" % self.pending)
            if matches(message):
                return message
            self.pending.append(message)

    def diagnostics(self, uri, version=None):
        """The next diagnostics published for uri (and that version)."""
        def matches(m):
            if m.get("method") != "textDocument/publishDiagnostics":
                return False
            params = m["params"]
            return params["uri"] == uri and (version is None or params.get("version") == version)
        return self.wait_for(matches)["params"]["diagnostics"]

    def drop_pending(self, method):
        self.pending = [m for m in self.pending if m.get("method") != method]

    def finish(self, timeout=TIMEOUT):
        self.process.stdin.close()
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise

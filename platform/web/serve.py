#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
"""Serves the browser build on the loopback interface only.

    serve.py DIR [DIR...] [--port N]

A file is looked up in each folder in turn (the tests serve their driver scripts beside the
page this way). Port 0, the default, takes a free port; the address is printed once the server
listens.
"""
import functools
import http.server
import os
import sys
import threading


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript',
                      '.data': 'application/octet-stream', '.txt': 'text/plain'}

    def __init__(self, *args, roots=(), **kwargs):
        self.roots = roots
        super().__init__(*args, directory=roots[0], **kwargs)

    def translate_path(self, path):
        first = None
        for root in self.roots:
            self.directory = root
            candidate = super().translate_path(path)
            first = first or candidate
            if os.path.exists(candidate):
                return candidate
        return first

    def end_headers(self):
        # A rebuilt game is picked up at the next load.
        self.send_header('Cache-Control', 'no-cache')
        super().end_headers()

    def log_message(self, *args):
        pass


def start(roots, port=0):
    """Starts serving in a thread; returns (server, address)."""
    roots = tuple(os.path.abspath(r) for r in roots)
    server = http.server.ThreadingHTTPServer(
        ('127.0.0.1', port), functools.partial(Handler, roots=roots))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, 'http://127.0.0.1:%d/' % server.server_address[1]


def main(argv):
    port = 0
    roots = []
    args = iter(argv)
    for a in args:
        if a == '--port':
            port = int(next(args))
        else:
            roots.append(a)
    if not roots:
        print(__doc__, file=sys.stderr)
        return 2
    server, address = start(roots, port)
    print('Serving %s at %scrumlet.html (Ctrl+C ends)' % (roots[0], address), flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        server.shutdown()
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
"""Headless Chromium driven over the DevTools protocol, for the browser test and benchmark."""
import base64
import json
import os
import shutil
import subprocess
import time
import urllib.request


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, predicate, seconds):
    """Polls predicate until it returns something true; fails after the deadline."""
    deadline = time.monotonic() + seconds
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure('timed out after %d s waiting for %s' % (seconds, what))
        time.sleep(0.1)


class Page:
    """One tab, driven over the DevTools protocol."""

    def __init__(self, ws_url):
        import websocket
        self.ws = websocket.create_connection(ws_url, timeout=60, suppress_origin=True)
        self.next_id = 0
        self.console = []  # (type, text)
        self.call('Runtime.enable')
        self.call('Page.enable')
        # A headless tab never has the focus, and the game waits while its window is inactive.
        self.call('Emulation.setFocusEmulationEnabled', enabled=True)

    def _handle(self, message):
        if message.get('method') == 'Runtime.consoleAPICalled':
            p = message['params']
            text = ' '.join(str(a.get('value', a.get('description', ''))) for a in p['args'])
            self.console.append((p['type'], text))

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({'id': self.next_id, 'method': method, 'params': params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get('id') == self.next_id:
                if 'error' in message:
                    raise Failure('%s: %s' % (method, message['error']))
                return message.get('result', {})
            self._handle(message)

    def pump(self):
        """Takes in the events that arrived so far."""
        self.ws.settimeout(0.05)
        try:
            while True:
                self._handle(json.loads(self.ws.recv()))
        except Exception:
            pass
        finally:
            self.ws.settimeout(60)

    def eval(self, expression):
        result = self.call('Runtime.evaluate', expression=expression, returnByValue=True,
                           awaitPromise=True)
        if 'exceptionDetails' in result:
            return None
        return result['result'].get('value')

    def load(self, url):
        self.console = []
        self.call('Page.navigate', url=url)
        wait_for('the page at ' + url, lambda: self.eval(
            "typeof Module == 'object' && Module.crumlet ? 1 : 0"), 30)

    def exit_status(self):
        return self.eval('Module.crumlet.exitStatus')

    def key(self, name, code, vk, text=None):
        down = {'type': 'keyDown', 'key': name, 'code': code, 'windowsVirtualKeyCode': vk,
                'nativeVirtualKeyCode': vk}
        if text:
            down['text'] = text
        self.call('Input.dispatchKeyEvent', **down)
        # Held for a few of the menu's passes (about 60 ms each), then let go.
        time.sleep(0.15)
        self.call('Input.dispatchKeyEvent', type='keyUp', key=name, code=code,
                  windowsVirtualKeyCode=vk, nativeVirtualKeyCode=vk)
        time.sleep(0.3)

    def canvas_picture(self, workdir, scale_to=(320, 240)):
        """The canvas as shown, brought back to the logical size, as raw RGB bytes."""
        box = self.eval("(() => { const r = document.getElementById('canvas')"
                        ".getBoundingClientRect(); return [r.x, r.y, r.width, r.height]; })()")
        shot = self.call('Page.captureScreenshot', format='png', clip={
            'x': box[0], 'y': box[1], 'width': box[2], 'height': box[3], 'scale': 1})
        path = os.path.join(workdir, 'canvas.png')
        with open(path, 'wb') as f:
            f.write(base64.b64decode(shot['data']))
        return rgb(path, scale_to), path


def rgb(path, size=None):
    command = ['convert', path]
    if size:
        command += ['-sample', '%dx%d!' % size]
    return subprocess.run(command + ['-alpha', 'off', 'rgb:-'], check=True,
                          capture_output=True).stdout


class Chromium:
    def __init__(self, workdir):
        program = shutil.which('chromium') or shutil.which('chromium-browser')
        self.profile = os.path.join(workdir, 'profile')
        self.process = subprocess.Popen(
            [program, '--headless=new', '--no-sandbox', '--remote-debugging-port=0',
             '--user-data-dir=' + self.profile, '--enable-unsafe-swiftshader',
             '--use-angle=swiftshader', '--autoplay-policy=no-user-gesture-required',
             '--no-first-run', '--window-size=1024,768', 'about:blank'],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, 'DevToolsActivePort')
        wait_for('Chromium to listen', lambda: os.path.exists(port_file) and
                 open(port_file).read().split('\n')[0].strip(), 60)
        self.port = int(open(port_file).read().split('\n')[0])

    def targets(self):
        with urllib.request.urlopen('http://127.0.0.1:%d/json/list' % self.port) as r:
            return [t for t in json.load(r) if t['type'] == 'page']

    def first_page(self):
        return Page(wait_for('a page', self.targets, 30)[0]['webSocketDebuggerUrl'])

    def new_page(self, url):
        request = urllib.request.Request(
            'http://127.0.0.1:%d/json/new?%s' % (self.port, url), method='PUT')
        with urllib.request.urlopen(request) as r:
            target = json.load(r)
        return target['id'], Page(target['webSocketDebuggerUrl'])

    def close_page(self, target_id):
        urllib.request.urlopen('http://127.0.0.1:%d/json/close/%s' % (self.port, target_id)).close()

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(20)
        except subprocess.TimeoutExpired:
            self.process.kill()

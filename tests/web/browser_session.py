#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
"""The browser build, played in headless Chromium from a loopback server.

    browser_session.py --web-dir build-web --program build/run/crumlet --reference menu.png

1. The driver session tests/web/session.txt (level 1 finished, the bug caught on level 3) runs
   in the browser (crumlet.html?driver=session.txt) and in the native program: the console's
   trace lines and the native trace file must be the same, line for line.
2. Without a driver: the menu's picture equals the native reference picture; a second tab says
   that the game is open elsewhere; a name typed with key events and GOHOME is in the player
   folder after a reload (IndexedDB) and shown in the menu; a damaged score file put into IndexedDB stops the game at
   the next load with the native program's message, and the profile is still there.

Exit status 77 (skipped, with the reason) when emscripten or Chromium is not installed.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, 'platform', 'web'))
from devtools import Chromium, Failure, check, rgb, wait_for  # noqa: E402
SKIP = 77


def skip(why):
    print('SKIPPED: ' + why)
    sys.exit(SKIP)


def native_run(program, workdir, save_dir, args):
    env = dict(os.environ, SDL_VIDEODRIVER='offscreen', SDL_AUDIODRIVER='dummy')
    return subprocess.run([program, '--windowed', '--save-dir', save_dir] + args, cwd=workdir,
                          env=env, capture_output=True, text=True, timeout=600)


def trace_session(page, chromium, address, program, workdir):
    """Part 1: the same trace in the browser and natively."""
    script = os.path.join(HERE, 'session.txt')
    native = native_run(program, workdir, os.path.join(workdir, 'native-save'),
                        ['--driver', script])
    check(native.returncode == 0, 'the native session ended with %d: %s'
          % (native.returncode, native.stderr))
    with open(os.path.join(workdir, 'session.trace')) as f:
        expected = f.read().splitlines()
    # The session does what it says: level 1 finished, then a caught bug on another level.
    starts = [i for i, line in enumerate(expected) if line.startswith('F=1 ')]
    check(len(starts) == 2, 'the native session played %d levels, not 2' % len(starts))
    check(' left=0 ' in expected[starts[1] - 1], 'level 1 was not finished: ' + expected[starts[1] - 1])
    check(any(' dead=1 ' in line for line in expected[starts[1]:]), 'the bug was never caught')

    started = time.monotonic()
    page.load(address + 'crumlet.html?driver=session.txt')
    status = wait_for('the browser session to end', lambda: (page.pump(), page.exit_status())[1]
                      is not None and [page.exit_status()], 600)[0]
    page.pump()
    seconds = time.monotonic() - started
    got = [text for kind, text in page.console if kind == 'log']
    print('browser session: %d frames of trace in %.1f s, exit status %s'
          % (len(got), seconds, status))
    check(status == 0, 'the browser session ended with status %s: %s' % (
        status, [t for k, t in page.console if k != 'log'][-5:]))
    for n, (a, b) in enumerate(zip(expected, got)):
        check(a == b, 'trace line %d differs:\n  native:  %s\n  browser: %s' % (n + 1, a, b))
    check(len(got) == len(expected), 'the browser wrote %d trace lines, the native program %d'
          % (len(got), len(expected)))


def type_name_and_go_home(page, name, then_menu=None):
    """PLAYER (a row down), Return, the name, Space, Up again to LEVELS; then_menu() there; then
    GOHOME (three rows down) and Return."""
    page.key('ArrowDown', 'ArrowDown', 40)
    time.sleep(0.5)  # the box slides
    page.key('Enter', 'Enter', 13, '\r')
    for letter in name:
        page.key(letter, 'Key' + letter.upper(), ord(letter.upper()), letter)
    page.key(' ', 'Space', 32, ' ')
    page.key('ArrowUp', 'ArrowUp', 38)
    time.sleep(0.5)
    if then_menu:
        then_menu()
    for _ in range(3):
        page.key('ArrowDown', 'ArrowDown', 40)
        time.sleep(0.5)
    page.key('Enter', 'Enter', 13, '\r')


def menu_and_saves(page, chromium, address, program, workdir, reference):
    """Part 2: the menu's picture, the second tab, saves across reloads, a damaged save."""
    page.load(address + 'crumlet.html')
    wait_for('the game to run', lambda: page.eval('Module.calledRun ? 1 : 0'), 30)

    target, second = chromium.new_page(address + 'crumlet.html')
    wait_for('the second tab to say the game is open elsewhere', lambda: 'already open' in (
        second.eval("document.getElementById('status').textContent") or ''), 30)
    check(second.eval('Module.calledRun ? 1 : 0') == 0, 'the game started in a second tab')
    chromium.close_page(target)
    print('second tab: refused')

    # The reference picture shows the menu of a player called "eve", the box at one step of its
    # animation: screenshots are taken until one shows that step.
    expected = rgb(reference)
    shown = [None]

    def menu_shown():
        shown[0], path = page.canvas_picture(workdir)
        return shown[0] == expected

    def compare_menu():
        try:
            wait_for('the menu to look like ' + reference, menu_shown, 30)
        except Failure:
            differing = sum(1 for i in range(0, len(expected), 3)
                            if shown[0] is None or shown[0][i:i + 3] != expected[i:i + 3])
            raise Failure('the menu differs from %s in %d of 76800 pixels (picture: %s)'
                          % (reference, differing, os.path.join(workdir, 'canvas.png')))
    type_name_and_go_home(page, 'eve', compare_menu)
    print('menu: the same pixels as the native reference picture')
    wait_for('GOHOME to end the game', lambda: page.exit_status() is not None, 30)
    check(page.exit_status() == 0, 'GOHOME ended with status %s' % page.exit_status())
    wait_for('the saves to reach IndexedDB', lambda: page.eval(
        '!Module.crumlet.syncing && Module.crumlet.synced > 0 ? 1 : 0'), 30)

    profile = 'Array.from(FS.readFile("/player/Maps/Player.bin")).slice(0, 3)'
    page.load(address + 'crumlet.html')
    wait_for('the reloaded game to run', lambda: page.eval('Module.calledRun ? 1 : 0'), 30)
    check(page.eval(profile) == list(b'eve'), 'after a reload the profile holds %s, not "eve"'
          % page.eval(profile))
    wait_for('the reloaded menu to show "eve"', menu_shown, 30)
    print('reload: the name is still there, and in the menu')

    # A damaged score file in IndexedDB, then a reload: the native program's message.
    page.eval('FS.writeFile("/player/Maps/Data.bin", new Uint8Array(17)); '
              'Module.crumlet.synced = 0; Module.crumlet.persist(); 1')
    wait_for('the damaged file to reach IndexedDB', lambda: page.eval(
        '!Module.crumlet.syncing && Module.crumlet.synced > 0 ? 1 : 0'), 30)
    page.load(address + 'crumlet.html')
    wait_for('the game to stop', lambda: page.exit_status() is not None, 30)
    page.pump()
    browser_errors = [t for k, t in page.console if k == 'warning']
    check(page.exit_status() != 0, 'a damaged score file did not stop the game')
    check(page.eval(profile) == list(b'eve'), 'the profile was lost with the damaged score file')

    native_save = os.path.join(workdir, 'damaged-save')
    quit_script = os.path.join(HERE, 'quit.txt')
    native_run(program, workdir, native_save, ['--driver', quit_script])
    with open(os.path.join(native_save, 'Maps', 'Data.bin'), 'wb') as f:
        f.write(bytes(17))
    native = native_run(program, workdir, native_save, ['--driver', quit_script])
    check(native.returncode == page.exit_status(), 'native status %d, browser %s'
          % (native.returncode, page.exit_status()))
    message = [line.replace(native_save, '/player') for line in native.stderr.splitlines()
               if 'Data.bin' in line]
    check(message, 'the native program did not name the damaged file: ' + native.stderr)
    for line in message:
        check(line in browser_errors, 'the browser did not say "%s"; it said %s'
              % (line, browser_errors))
    print('damaged score file: "%s"; the profile kept' % message[0])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--web-dir', required=True)
    parser.add_argument('--program', required=True)
    parser.add_argument('--reference', required=True)
    args = parser.parse_args()

    if not shutil.which('em++'):
        skip('emscripten is not installed (scripts/web.sh installs it)')
    if not (shutil.which('chromium') or shutil.which('chromium-browser')):
        skip('Chromium is not installed (scripts/test.sh installs it)')
    try:
        import websocket  # noqa: F401
    except ImportError:
        skip('python3-websocket is not installed (scripts/test.sh installs it)')
    for name in ('crumlet.html', 'crumlet.js', 'crumlet.wasm', 'crumlet.data'):
        if not os.path.exists(os.path.join(args.web_dir, name)):
            print('FAILED: %s is missing: build it with scripts/web.sh' % name)
            return 1

    import serve
    workdir = tempfile.mkdtemp(prefix='crumlet-web-test-')
    server, address = serve.start([args.web_dir, HERE])
    chromium = Chromium(workdir)
    try:
        page = chromium.first_page()
        trace_session(page, chromium, address, os.path.abspath(args.program), workdir)
        menu_and_saves(page, chromium, address, os.path.abspath(args.program), workdir,
                       args.reference)
    except Failure as e:
        print('FAILED: %s' % e)
        print('(files kept in %s)' % workdir)
        return 1
    finally:
        chromium.stop()
        server.shutdown()
    shutil.rmtree(workdir, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main())

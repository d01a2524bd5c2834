#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
"""Sizes, load time and frame times of the browser build in headless Chromium (SwiftShader).

    web_bench.py [--web-dir build-web] [--loads 5]

Build first with scripts/web.sh. Prints a Markdown table (bench/web/RESULTS.md keeps one).
- sizes: the four files as served, and gzip -9 of each;
- load: from navigation start to the first frame after start-up (the menu), fresh profile;
- script time per frame: the program's own work between two presented frames (its sleeps left
  out), for every frame of tests/web/session.txt (menu, level 1 to its end, level 3 until the bug
  is caught; unpaced) and of bench/web/level.txt (1200 frames of level 1 at the normal pace),
  with the paced run's frame intervals.
"""
import argparse
import gzip
import os
import statistics
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, 'platform', 'web'))
sys.path.insert(0, os.path.join(ROOT, 'tests', 'web'))
import serve  # noqa: E402
from devtools import Chromium, wait_for  # noqa: E402


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(p / 100 * len(ordered)))]


def frames(page, address, script):
    page.load(address + 'crumlet.html?frametimes&driver=' + script)
    wait_for(script + ' to end', lambda: page.exit_status() is not None, 900)
    return page.eval('Module.crumlet.frameTimes'), page.eval('Module.crumlet.frameStamps')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--web-dir', default=os.path.join(ROOT, 'build-web'))
    parser.add_argument('--loads', type=int, default=5)
    args = parser.parse_args()

    print('| file | bytes | gzip -9 |\n|---|---:|---:|')
    for name in ('crumlet.html', 'crumlet.js', 'crumlet.wasm', 'crumlet.data'):
        with open(os.path.join(args.web_dir, name), 'rb') as f:
            data = f.read()
        print('| %s | %d | %d |' % (name, len(data), len(gzip.compress(data, 9))))

    server, address = serve.start([args.web_dir, HERE, os.path.join(ROOT, 'tests', 'web')])
    loads = []
    for _ in range(args.loads):
        chromium = Chromium(tempfile.mkdtemp(prefix='crumlet-web-bench-'))  # a fresh profile
        try:
            page = chromium.first_page()
            page.load(address + 'crumlet.html')
            loads.append(wait_for('the menu', lambda: page.eval(
                '(Module.crumlet.firstFrames || [])[1]'), 30))
        finally:
            chromium.stop()
    print('\nload to the menu (ms, %d fresh loads): median %.0f, slowest %.0f'
          % (len(loads), statistics.median(loads), max(loads)))

    chromium = Chromium(tempfile.mkdtemp(prefix='crumlet-web-bench-'))
    try:
        page = chromium.first_page()
        slow = []
        print('\n| run | frames | script ms: mean | 99th | max | frames over 16.7 ms |')
        print('|---|---:|---:|---:|---:|---:|')
        for script in ('session.txt', 'level.txt'):
            times, stamps = frames(page, address, script)
            print('| %s | %d | %.2f | %.2f | %.2f | %d |' % (
                script, len(times), statistics.mean(times), percentile(times, 99), max(times),
                sum(1 for t in times if t > 1000 / 60)))
            slow.append('%s: %s' % (script, ', '.join(
                '%d: %.1f' % (n + 1, t) for n, t in enumerate(times) if t > 1000 / 60)))
        print('\nframes over 16.7 ms (presented frame number: script ms)')
        for line in slow:
            print('- ' + line)
        intervals = [b - a for a, b in zip(stamps[10:], stamps[11:])]
        print('\npaced run, frame intervals (ms): mean %.2f, 1st %.2f, 99th %.2f, max %.2f'
              % (statistics.mean(intervals), percentile(intervals, 1),
                 percentile(intervals, 99), max(intervals)))
    finally:
        chromium.stop()
        server.shutdown()


if __name__ == '__main__':
    main()

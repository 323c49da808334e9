#!/usr/bin/python3
"""The workbench as a screen reader finds it through AT-SPI: every control on every page named.

Run inside a session bus and an X server (dbus-run-session, Xvfb), as the test suite does:
    atspi_workbench.py WORKBENCH DEMO_FOLDER
The client opens each tab, and each page inside a tab, by its page tab's Press action, and
lists every showing control a reader would stop on that has no name. Exit 0 when there is none,
1 with the nameless ones listed, 77 when the AT-SPI client library is missing.
"""
import os
import shutil
import subprocess
import sys
import tempfile

from atspiclient import application, children, press, pump, pyatspi, showing

WORKBENCH, DEMO = sys.argv[1:3]
# The roles a reader stops on and speaks; containers and decoration are passed over.
CONTROLS = {'push button', 'toggle button', 'check box', 'radio button', 'combo box', 'spin button',
            'text', 'entry', 'table', 'tree table', 'list', 'list box', 'page tab', 'menu item',
            'slider', 'chart'}


def walk(acc, found, seen):
    if acc is None or not showing(acc):
        return
    if acc.getRoleName() in CONTROLS:
        seen.append(acc.name)
        if not acc.name.strip():
            found.append(acc.getRoleName())
    # Rows and cells of a table are its content, named by their text; the table is what is named.
    if acc.getRoleName() in ('table', 'tree table', 'list', 'list box', 'menu bar'):
        return
    for child in children(acc):
        walk(child, found, seen)


def the_workbench():
    return application('tallory-teacher')


def page_tabs(app):
    tabs = []
    stack = [app]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        if node.getRoleName() == 'page tab' and showing(node):
            tabs.append(node)
        stack.extend(children(node))
    return tabs


def main():
    folder = tempfile.mkdtemp(prefix='tallory-atspi-teacher-')
    for name in ('tallory.ini', 'demo.faq'):
        shutil.copy(os.path.join(DEMO, name), folder)
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', QT_QPA_PLATFORM='xcb',
               XDG_CONFIG_HOME=os.path.join(folder, 'config'))
    pyatspi.setTimeout(2000, -1)
    bench = subprocess.Popen([WORKBENCH, '--folder', folder], env=env)
    nameless = {}
    visited = set()
    try:
        if not pump(30, lambda: the_workbench() is not None):
            print('FAIL the workbench is not on the accessibility bus')
            return 1
        app = the_workbench()
        pump(2, lambda: False)
        # Every tab, and in its page every tab that page holds, opened once.
        outer = page_tabs(app)
        known = {t.name for t in outer}

        def visit(tab):
            visited.add(tab.name)
            press(tab)
            pump(1, lambda: False)
            found, seen = [], []
            walk(app, found, seen)
            if found or len(seen) < 5:
                nameless[tab.name] = found or ['(too few controls found: %d)' % len(seen)]
            print('ok   ' if tab.name not in nameless else 'FAIL ', 'page «%s», %d controls' % (tab.name, len(seen)),
                  ', '.join(nameless.get(tab.name, [])), flush=True)
            for inner in [t for t in page_tabs(app) if t.name not in known]:
                if inner.name not in visited:
                    visit(inner)

        for tab in outer:
            visit(tab)
    finally:
        bench.kill()
        bench.wait()
        shutil.rmtree(folder, ignore_errors=True)
    if len(visited) < 9:
        print('FAIL only %d pages were found: %s' % (len(visited), ', '.join(sorted(visited))))
        return 1
    if nameless:
        print('%d page(s) hold controls without a name' % len(nameless))
        return 1
    print('every control of %d pages is named' % len(visited))
    return 0


sys.exit(main())

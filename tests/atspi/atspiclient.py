"""What a screen reader's client does, shared by the suite's AT-SPI tests: let the bus's events
arrive, walk the accessible tree, press through the accessible actions, find an application.
Where the client library is missing the importing test is skipped (status 77), never passed."""
import sys
import time

try:
    import pyatspi
    from gi.repository import GLib
except ImportError:
    print('SKIP: python3-pyatspi is not installed')
    sys.exit(77)

context = GLib.MainContext.default()


def pump(seconds, until=lambda: False):
    """Lets AT-SPI events arrive until `until` holds or the time is up."""
    end = time.monotonic() + seconds
    wake = GLib.timeout_add(50, lambda: True)
    try:
        while time.monotonic() < end:
            context.iteration(True)
            try:
                if until():
                    return True
            except Exception:
                pass
        return False
    finally:
        GLib.source_remove(wake)


def children(acc):
    try:
        return [acc.getChildAtIndex(i) for i in range(acc.childCount)]
    except Exception:
        return []


def find_all(acc, pred):
    found = []
    stack = [acc]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        try:
            if pred(node):
                found.append(node)
        except Exception:
            pass
        stack.extend(reversed(children(node)))
    return found


def find(acc, pred):
    found = find_all(acc, pred)
    return found[0] if found else None


def role_named(role, name):
    return lambda a: a.getRoleName() == role and a.name == name


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def sensitive(acc):
    return acc.getState().contains(pyatspi.STATE_SENSITIVE)


def press(acc):
    """The accessible action "Press". The game holds its thread through an answer's sequence
    and the input boxes, so the reply may come late; the press itself has been delivered."""
    action = acc.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    try:
        action.doAction(names.index('Press'))
    except Exception:
        pass


def application(name):
    """The application of that name on the bus once it shows a window, or None."""
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        if app is not None and app.name == name and app.childCount > 0:
            return app
    return None

#!/usr/bin/python3
"""A whole game played as a screen reader's user plays it: through AT-SPI alone.

Run inside a session bus and an X server (dbus-run-session, Xvfb), as the test suite does:
    atspi_game.py GAME BANK_TOOL DEMO_FOLDER
The client starts the game on a lesson of its own whose right answers it can recognise, and
then only reads the accessible tree and the events a reader hears, and presses through the
accessible actions. Exit 0 when every check holds, 1 with the failures listed, 77 when the
AT-SPI client library is missing.
"""
import os
import shutil
import subprocess
import sys

from lessonfolder import make_lesson_folder
from atspiclient import application, children, find, find_all, press, pump, pyatspi, role_named, sensitive, showing

GAME, BANK_TOOL, DEMO = sys.argv[1:4]
failures = []
heard = []  # the name of every notification that appeared


def check(ok, what):
    print(('ok   ' if ok else 'FAIL ') + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def on_showing(event):
    try:
        if event.detail1 == 1 and event.source.getRoleName() == 'notification':
            heard.append(event.source.name)
    except Exception:  # the source may be gone already
        pass


def the_game():
    return application('Таллори!')


def make_folder():
    return make_lesson_folder(DEMO, BANK_TOOL, 'ЧТЕНИЕ', 'Вопрос %d.%d', 'Верно %d',
                              ['Нет %d a', 'Нет %d b', 'Нет %d c'])


def answer_boxes(app, replies):
    """Types each reply into the input box that asks for it and presses OK."""
    for reply in replies:
        box = None
        if not pump(20, lambda: find(app, lambda a: a.getRoleName() == 'dialog' and showing(a))):
            return check(False, 'an input box asks for "%s"' % reply)
        box = find(app, lambda a: a.getRoleName() == 'dialog' and showing(a))
        field = find(box, lambda a: a.getRoleName() == 'text' and 'EditableText' in pyatspi.utils.listInterfaces(a))
        field.queryEditableText().setTextContents(reply)
        press(find(box, role_named('push button', 'OK')))
        pump(20, lambda: not box.getState().contains(pyatspi.STATE_SHOWING))
    return True


def answers(app):
    buttons = find_all(app, lambda a: a.getRoleName() == 'push button' and a.name[:2] in ('A.', 'B.', 'C.', 'D.'))
    return [b for b in buttons if showing(b)]


def current_level(app):
    ladder = find(app, role_named('list', 'Лестница вопросов'))
    for item in children(ladder):
        if item.getState().contains(pyatspi.STATE_SELECTED):
            return int(item.name.split(':')[0])
    return 0


def call_a_friend(app):
    """Dials the number the call window reads out on its keypad's buttons, hears the reply."""
    press(find(app, role_named('push button', 'Звонок другу')))
    prompt = 'Звонок другу. Наберите номер телефона: '
    if not check(pump(20, lambda: any(h.startswith(prompt) for h in heard)), 'the number to dial is read out'):
        return
    number = [h for h in heard if h.startswith(prompt)][-1][len(prompt):].split('.')[0].replace(' ', '')
    window = find(app, lambda a: a.getRoleName() == 'dialog' and a.name == 'Звонок другу!')
    display = find(window, role_named('label', 'Набранный номер'))
    keys = {k.name: k for k in find_all(window, lambda a: a.getRoleName() == 'push button' and len(a.name) == 1)}
    check(sorted(keys) == sorted('0123456789*#'), 'the keypad keys are named by their digits')
    before = len(heard)
    for digit in number:
        press(keys[digit])
    check(pump(20, lambda: any(not h.startswith('Осталось') for h in heard[before:])), "the friend's reply is read out")
    check(display is not None, 'the dialled number is readable')
    hang_up = find(window, role_named('push button', 'Положить трубку'))
    if check(hang_up is not None, 'the hang-up button is named'):
        press(hang_up)
    pump(10, lambda: not window.getState().contains(pyatspi.STATE_SHOWING))


def play(app):
    press(find(app, role_named('menu item', 'Новая тест-игра')))
    answer_boxes(app, ['ЧТЕНИЕ', 'Незрячев'])
    check(pump(20, lambda: len(answers(app)) == 4), 'four answer buttons named "A. ..." to "D. ..."')
    check(any(h.startswith('Вопрос 1 на 100 очков. Вопрос 1.') for h in heard), 'the first question is read out')
    check(current_level(app) == 1, 'the ladder has level 1 selected')

    for level in range(1, 6):
        right = [b for b in answers(app) if b.name.endswith('Верно %d' % level)]
        if not check(len(right) == 1, 'level %d: the right answer is among the buttons' % level):
            return
        press(right[0])
        pump(30, lambda: current_level(app) == level + 1)
        check(current_level(app) == level + 1, 'level %d answered: the ladder advanced' % level)
    check(any(h.startswith('Верно: ') for h in heard), 'the verdict is read out')
    check(any(h == 'У вас 1000 очков.' for h in heard), 'the points are read out')
    check(any('УДОВЛЕТВОРИТЕЛЬНО' in h for h in heard), "the host's banner is a notification")

    fifty = find(app, role_named('push button', 'Пятьдесят на пятдесят'))
    press(fifty)
    pump(5, lambda: sum(1 for b in answers(app) if not sensitive(b)) == 2)
    check(sum(1 for b in answers(app) if not sensitive(b)) == 2, '50:50 leaves two answers unavailable')
    check(fifty.description == 'использована', '50:50 then says "использована"')
    press(find(app, role_named('push button', 'Помощь аудитории')))
    panel = find(app, lambda a: a.name == 'Помощь аудитории' and a.getRoleName() != 'push button')
    # After 50:50 the poll shows the two answers left.
    pump(5, lambda: panel.description.count(' %') == 2)
    check(panel.description.count(' %') == 2, "the audience's shares are readable: " + panel.description)

    call_a_friend(app)

    wrong = [b for b in answers(app) if sensitive(b) and 'Нет' in b.name]
    if check(len(wrong) == 1, 'a wrong answer is left after 50:50'):
        press(wrong[0])
    check(pump(60, lambda: any(h.startswith('Игра окончена. Оценка:') for h in heard)),
          'the end of the game and the grade are read out')


def main():
    folder, config = make_folder()
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', XDG_CONFIG_HOME=config, QT_QPA_PLATFORM='xcb')
    pyatspi.Registry.registerEventListener(on_showing, 'object:state-changed:showing')
    pyatspi.setTimeout(1000, -1)
    game = subprocess.Popen([GAME, '--folder', folder], env=env)
    try:
        if check(pump(30, lambda: the_game() is not None), 'the game is on the accessibility bus'):
            play(the_game())
    finally:
        game.kill()
        game.wait()
        shutil.rmtree(folder, ignore_errors=True)
    print('heard: ' + ' | '.join(heard))
    if failures:
        print('%d check(s) failed' % len(failures))
        return 1
    print('all checks passed')
    return 0


sys.exit(main())

#!/usr/bin/python3
"""A whole game played with Orca, the screen reader, as a blind student plays it: by keys alone,
and checked by what Orca spoke.

Run inside a session bus and an X server (dbus-run-session, Xvfb), as the test suite does:
    orca_game.py GAME BANK_TOOL DEMO_FOLDER
Orca runs in Russian with a home of its own and no speech server: it then speaks to its debug
file only, where every utterance is a line "SPEECH OUTPUT: '...'". Keys go to the X server as a
keyboard's would (xdotool), so Orca hears them too. Each step waits for what Orca should say
next, with a generous deadline; nothing is timed. Exit 0 when every check holds, 1 with the
failures listed, 77 when orca or xdotool is missing.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from atspiclient import application, find, pyatspi, showing
from lessonfolder import make_lesson_folder

GAME, BANK_TOOL, DEMO = sys.argv[1:4]
DEADLINE = int(os.environ.get('TALLORY_ORCA_DEADLINE', '60'))  # seconds for Orca to say what is expected
LETTERS = 'ABCD'
SHARE = r'\b([ABCD]) (\d+(?:,\d+)?) %'  # an answer's share of the audience's votes: "C 42,31 %"
failures = []

for tool in ('orca', 'xdotool'):
    if not shutil.which(tool):
        print('SKIP: %s is not installed' % tool)
        sys.exit(77)


def check(ok, what):
    print(('ok   ' if ok else 'FAIL ') + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


class Orca:
    """Orca started in a home of its own, and what it has spoken so far."""

    def __init__(self):
        self.home = tempfile.mkdtemp(prefix='tallory-orca-')
        self.log = os.path.join(self.home, 'speech.log')
        prefs = os.path.join(self.home, 'orca')
        os.makedirs(prefs)
        # Orca keeps a log of what it speaks, for its own regression tests: every utterance as
        # a line "SPEECH OUTPUT: '...'". It is held in memory; a file of its own gets it too,
        # written as spoken.
        with open(os.path.join(prefs, 'orca-customizations.py'), 'w') as f:
            f.write('import logging\n'
                    'handler = logging.FileHandler(%r, encoding="utf-8")\n'
                    'handler.setFormatter(logging.Formatter("%%(message)s"))\n'
                    'logging.getLogger("speech").addHandler(handler)\n' % self.log)
        env = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, 'config'),
                   XDG_DATA_HOME=os.path.join(self.home, 'data'), XDG_CACHE_HOME=os.path.join(self.home, 'cache'),
                   LANGUAGE='ru', LANG='C.UTF-8', LC_ALL='C.UTF-8',
                   # No speech server: Orca says so, and speaks to its log alone.
                   SPEECHD_ADDRESS='unix_socket:' + os.path.join(self.home, 'no-speech-dispatcher'))
        # Orca's debug file, with everything it did, is kept where TALLORY_ORCA_DEBUG says.
        debug = ['--debug-file', os.environ['TALLORY_ORCA_DEBUG']] if os.environ.get('TALLORY_ORCA_DEBUG') else []
        self.process = subprocess.Popen(['orca', '-u', prefs] + debug, env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.read = 0  # utterances already looked at by wait_for

    def spoken(self):
        try:
            with open(self.log, encoding='utf-8', errors='replace') as f:
                text = f.read()
        except FileNotFoundError:
            return []
        # "SPEECH OUTPUT: 'words'", then the voice's name, if any. The keys Orca echoes as they
        # are typed carry the voice's settings as well ("'return ' {...}"): those are Orca's own
        # and left out.
        return re.findall(r"^SPEECH OUTPUT: '(.*)'(?: voice=\w+)?$", text, re.M)

    def wait_for(self, what, pred, seconds=DEADLINE):
        """The first utterance after those already looked at that satisfies pred, or None (a
        failed check naming what was expected)."""
        end = time.monotonic() + seconds
        while True:
            said = self.spoken()
            for i in range(self.read, len(said)):
                if pred(said[i]):
                    self.read = i + 1
                    check(True, what + ': ' + said[i])
                    return said[i]
            if time.monotonic() > end or self.process.poll() is not None:
                check(False, what + ' (Orca said since: %s)' % ' | '.join(said[self.read:]))
                return None
            time.sleep(0.1)

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
        shutil.rmtree(self.home, ignore_errors=True)


def key(*names):
    subprocess.run(['xdotool', 'key', '--clearmodifiers'] + list(names), check=True)


def poll(condition, seconds=DEADLINE):
    """Waits until condition() holds; False when it never does in time."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.1)
    return False


def keyboard_in(title):
    """Waits until the window of that title has the keyboard; False when it never gets it."""
    end = time.monotonic() + DEADLINE
    while time.monotonic() < end:
        found = subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', '^%s$' % title],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout.split()
        focused = subprocess.run(['xdotool', 'getwindowfocus'], stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL, text=True).stdout.strip()
        if focused in found:
            return True
        time.sleep(0.1)
    return False


def answer_box(title, reply):
    """Types the reply into the input box of that title once its field has the keyboard, and
    presses Enter. The window may have the keyboard before Qt hands it to the field. On a busy
    machine a key typed as xdotool changes the keyboard map for it may be lost: the field's text
    is then set as a reader's client would set it, so that the game goes on."""
    def field():
        app = application('Таллори!')
        box = app and find(app, lambda a: a.getRoleName() == 'dialog' and a.name == title and showing(a))
        return box and find(box, lambda a: a.getRoleName() == 'text')

    def field_focused():
        found = field()
        return bool(found) and found.getState().contains(pyatspi.STATE_FOCUSED)

    if not check(keyboard_in(title) and poll(field_focused), 'the box "%s" has the keyboard' % title):
        return
    subprocess.run(['xdotool', 'type', '--delay', '100', reply], check=True)
    typed = field()
    if typed and not poll(lambda: typed.queryText().getText(0, -1) == reply, seconds=5):
        print('note: a key was lost while typing "%s"; the text is set through AT-SPI' % reply)
        typed.queryEditableText().setTextContents(reply)
    key('Return')


def answers_in(question):
    """The four answers as the question's announcement gives them: {letter: text}."""
    found = dict(re.findall(r'\b([ABCD])\. (.+?)\.(?= [ABCD]\. |$)', question))
    return found if sorted(found) == list(LETTERS) else {}


def ask_question(orca, level):
    """Waits for the question of that level and returns {letter: answer} as Orca read them."""
    points = [100, 200, 300, 500, 1000, 2000][level - 1]
    said = orca.wait_for('question %d is read with its text and its four answers' % level,
                         lambda s: 'Вопрос %d на %d очков. Сколько будет %d.' % (level, points, level) in s
                         and len(answers_in(s)) == 4)
    if not said:
        return {}
    check('?.' not in said, 'no full stop after the question mark')
    return answers_in(said)


def right_letter(choices, level):
    return next((k for k, v in choices.items() if v == 'Верно %d' % level), None)


def dial_a_friend(orca):
    key('F4')
    said = orca.wait_for('the number to dial is read digit by digit',
                         lambda s: re.search(r'номер телефона: (\d )+\d\b', s) is not None)
    if not said:
        return
    number = re.search(r'номер телефона: ((?:\d )+\d)\b', said).group(1).replace(' ', '')
    for digit in number:
        key(digit)
    reply = orca.wait_for("the friend's reply is read", lambda s: 'Алло' in s or ':' in s and 'Осталось' not in s
                          and 'Наберите' not in s)
    if reply:
        check('Осталось' not in ' '.join(orca.spoken()[orca.read:]), 'no countdown once the friend replied')
    key('Return')
    check(keyboard_in('Таллори!'), 'the game window has the keyboard again after the call')


def play(orca):
    orca.wait_for('the idle screen says how to start a game', lambda s: 'F2' in s)
    key('Tab')
    orca.wait_for('Tab reaches the command that starts a game', lambda s: 'Новая тест-игра' in s)
    key('F2')
    # Qt's own input boxes: Orca reads them, unless the key that closed the one before is
    # still being handled as the next appears; what is typed waits for the box alone.
    answer_box('Тест-игра', 'ЧТЕНИЕ')
    answer_box('Представьтесь', 'Незрячев')

    for level in range(1, 6):
        choices = ask_question(orca, level)
        right = right_letter(choices, level)
        if not check(right is not None, 'level %d: the right answer is among those read' % level):
            return
        key(str(LETTERS.index(right) + 1))
        orca.wait_for('level %d: the verdict' % level, lambda s: 'Верно: %s. Верно %d' % (right, level) in s)
        points = [100, 200, 300, 500, 1000][level - 1]
        orca.wait_for('level %d: the points' % level, lambda s: 'У вас %d очков' % points in s)

    choices = ask_question(orca, 6)
    right = right_letter(choices, 6)
    key('F5')
    said = orca.wait_for('50 х 50 says which two answers it removed',
                         lambda s: re.search(r'[Уу]браны ответы ([ABCD]) и ([ABCD])', s) is not None)
    removed = re.search(r'[Уу]браны ответы ([ABCD]) и ([ABCD])', said).groups() if said else ()
    check(right not in removed, 'the right answer stays after 50 х 50')
    key('F3')
    said = orca.wait_for("the audience's shares are read",
                         lambda s: 'аудитори' in s and len(re.findall(SHARE, s)) == 2)
    if said:
        shares = dict(re.findall(SHARE, said))
        total = sum(float(v.replace(',', '.')) for v in shares.values())
        check(abs(total - 100) < 0.1 and not set(shares) & set(removed),
              "the shares are of the two answers left and add up to 100 %")
    dial_a_friend(orca)

    left = [k for k in LETTERS if k not in removed and k != right]
    if check(len(left) == 1, 'one wrong answer is left'):
        key(str(LETTERS.index(left[0]) + 1))
        orca.wait_for('the verdict of a wrong answer names the right one',
                      lambda s: 'Неверно. Верный ответ: %s. Верно 6' % right in s)
        orca.wait_for('the end of the game and the grade', lambda s: 'Игра окончена. Оценка:' in s)


def check_whole_speech(said):
    repeated = [a for a, b in zip(said, said[1:]) if a == b]
    check(not repeated, 'nothing is spoken twice in a row' + (': ' + ' | '.join(repeated) if repeated else ''))
    # Orca speaks Russian here; the answers' letters and the keys' names are the only Latin the
    # game may say.
    english = [s for s in said if re.search(r'\b(?!F\d+\b)[A-Za-z]{2,}', s)]
    check(not english, 'nothing is spoken in English' + (': ' + ' | '.join(english) if english else ''))


def main():
    folder, config = make_lesson_folder(DEMO, BANK_TOOL, 'ЧТЕНИЕ', 'Сколько будет %d.%d?', 'Верно %d',
                                        ['Нет %d а', 'Нет %d б', 'Нет %d в'])
    orca = Orca()
    game = None
    try:
        if not check(orca.wait_for('Orca has started', lambda s: True) is not None, 'Orca speaks'):
            return 1
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', XDG_CONFIG_HOME=config, QT_QPA_PLATFORM='xcb')
        game = subprocess.Popen([GAME, '--folder', folder], env=env)
        orca.wait_for('the game window is read', lambda s: 'Таллори!' in s)
        play(orca)
        check(game.poll() is None, 'the game is still running')
        said = orca.spoken()
    finally:
        if game:
            game.kill()
            game.wait()
        orca.stop()
        shutil.rmtree(folder, ignore_errors=True)
    print('Orca said:\n  ' + '\n  '.join(said))
    check_whole_speech(said)
    if failures:
        print('%d check(s) failed' % len(failures))
        return 1
    print('all checks passed')
    return 0


sys.exit(main())

#!/usr/bin/python3
"""The class server's browser page, driven in a real Chromium as students drive it.

Run: web_test.py --program PATH/tallory-class --folder PROGRAM_FOLDER --bank demo/demo-bank.txt
[--shots DIR] under an X server (xvfb-run). Each run copies the program folder, starts
tallory-class on a free port of 127.0.0.1 and stops it at the end.
"""

import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import unittest
import urllib.error
import urllib.request

from selenium import webdriver
from selenium.common.exceptions import StaleElementReferenceException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

ARGS = None
WAIT = 60  # the longest sequence (a win: remark, change, MILLION, the board) takes well under this


def read_bank(path):
    """Question text -> the right answer, from the bank's plain text (the answer right after it)."""
    right = {}
    with open(path, encoding='utf-8') as bank:
        for line in bank:
            fields = line.rstrip('\n').split('|')
            if len(fields) >= 5 and not line.startswith('['):
                right[fields[0].strip()] = fields[1].strip()
    return right


class Server:
    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix='tallory-web-')
        shutil.copytree(ARGS.folder, self.folder, dirs_exist_ok=True,
                        ignore=shutil.ignore_patterns('tallory', 'tallory-*', '*.so', 'tallory.rez', 'journal'))
        self.key_file = os.path.join(self.folder, 'teacher.key')
        self.process = subprocess.Popen(
            [ARGS.program, '--folder', self.folder, '--port', '0', '--address', '127.0.0.1',
             '--teacher-key-file', self.key_file],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        first = []
        reader = threading.Thread(target=lambda: first.append(self.process.stdout.readline()), daemon=True)
        reader.start()
        reader.join(30)
        line = first[0] if first else ''
        found = re.search(r'(http://127\.0\.0\.1:\d+/)', line)
        if not found:
            self.process.kill()
            raise RuntimeError('tallory-class printed no address: %r %s' % (line, self.process.stderr.read()))
        self.address = found.group(1)
        with open(self.key_file) as key:
            self.key = key.read().strip()

    def teacher(self, what, body=None):
        request = urllib.request.Request(self.address + 'api/teacher/' + what, method='POST',
                                         data=json.dumps(body or {}).encode(),
                                         headers={'Content-Type': 'application/json', 'X-Tallory-Key': self.key})
        return json.load(urllib.request.urlopen(request))

    def room(self):
        return self.teacher('room')

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        code = self.process.wait(30)
        shutil.rmtree(self.folder, ignore_errors=True)
        return code


def new_browser(width=1366, height=768):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for flag in ('--no-sandbox', '--disable-dev-shm-usage', '--no-first-run', '--disable-gpu',
                 '--autoplay-policy=no-user-gesture-required', '--window-position=0,0',
                 '--window-size=%d,%d' % (width, height)):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    driver.set_window_size(width, height)
    return driver


class Page:
    """One student's browser."""

    def __init__(self, test, driver, sound=False):
        self.test = test
        self.d = driver
        self.d.get(SERVER.address)
        self.d.execute_script("localStorage.setItem('tallory.sound', arguments[0])", '1' if sound else '0')
        self.d.refresh()

    def el(self, css):
        return self.d.find_element(By.CSS_SELECTOR, css)

    def shown(self, css):
        found = self.d.find_elements(By.CSS_SELECTOR, css)
        return bool(found) and found[0].is_displayed()

    def wait(self, condition, message=''):
        def safe(_):
            try:
                return condition()
            except StaleElementReferenceException:
                return False
        return WebDriverWait(self.d, WAIT, poll_frequency=0.1).until(safe, message)

    def join(self, name, lesson='ДЕМО'):
        self.wait(lambda: self.shown('#lesson'), 'the join form')
        self.el('#lesson').clear()
        self.el('#lesson').send_keys(lesson)
        self.el('#name').clear()
        self.el('#name').send_keys(name)
        self.d.find_element(By.XPATH, "//button[normalize-space()='Начать']").click()

    def ready(self):
        """Waits until a question is open for an answer, or the game is over; True for a question."""
        self.wait(lambda: self.shown('#end') or (self.idle() and self.shown('#answers')), 'a question or the end')
        return not self.shown('#end')

    def idle(self):
        return self.d.execute_script("return document.body.dataset.busy !== '1'")

    def question(self):
        return self.el('#question').text.strip()

    def captions(self):
        return [b.text for b in self.d.find_elements(By.CSS_SELECTOR, '#answers .answer')]

    def right_button(self):
        answer = BANK[self.question()]
        for n, caption in enumerate(self.captions(), 1):
            if caption[3:] == answer:
                return n
        self.test.fail('no button shows %r: %r' % (answer, self.captions()))

    def wrong_button(self):
        right = self.right_button()
        return next(n for n, c in enumerate(self.captions(), 1) if n != right and c)

    def answer_by_click(self, n):
        self.d.find_elements(By.CSS_SELECTOR, '#answers .answer')[n - 1].click()
        self.wait(self.idle, 'the verdict sequence')

    def answer_by_key(self, n):
        self.d.find_element(By.TAG_NAME, 'body').send_keys(str(n))
        self.wait(self.idle, 'the verdict sequence')

    def button(self, name):
        return self.d.find_element(By.XPATH, "//button[normalize-space()='%s']" % name)

    def seconds_left(self):
        return int(self.el('#call-seconds').text)

    def grade(self):
        self.wait(lambda: self.shown('#end'), 'the end of the game')
        return self.el('#grade').text


def ax_nodes(driver):
    return driver.execute_cdp_cmd('Accessibility.getFullAXTree', {})['nodes']


def ax_value(node, key):
    return (node.get(key) or {}).get('value', '')


def ax_property(node, name):
    for prop in node.get('properties', []):
        if prop['name'] == name:
            return prop['value'].get('value')
    return None


class BrowserGame(unittest.TestCase):
    def setUp(self):
        self.drivers = []

    def tearDown(self):
        for driver in self.drivers:
            driver.quit()

    def page(self, sound=False, size=(1366, 768)):
        driver = new_browser(*size)
        self.drivers.append(driver)
        return Page(self, driver, sound)

    def test_whole_game_by_clicks_with_every_lifeline(self):
        p = self.page(sound=True)
        clips = "return performance.getEntriesByType('resource').map(e => e.name).filter(n => n.includes('/wav/'))"
        self.assertEqual(p.d.execute_script(clips), [], 'no clip is fetched before it is heard')
        p.join('Кликов К.К.')
        level = 0
        while p.ready():
            if level == 0:
                p.button('Пятьдесят на пятьдесят').click()
                p.wait(lambda: sum(1 for c in p.captions() if not c) == 2, 'two answers blanked')
                self.assertIn(BANK[p.question()], [c[3:] for c in p.captions()])
                self.assertFalse(p.button('Пятьдесят на пятьдесят').is_enabled())
            if level == 1:
                p.button('Помощь аудитории').click()
                p.wait(lambda: p.shown('#chart'), 'the audience chart')
                marks = [m.text for m in p.d.find_elements(By.CSS_SELECTOR, '#bars .mark')]
                self.assertEqual([m[0] for m in marks], ['A', 'B', 'C', 'D'])
                covered = p.d.execute_script('''
                    return [...document.querySelectorAll('#answers .answer, #lifelines button')].filter((b) => {
                      const r = b.getBoundingClientRect();
                      return !b.contains(document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2)); }).length''')
                self.assertEqual(covered, 0, 'the chart covers nothing a student may press')
            if level == 2:
                p.button('Звонок другу').click()
                p.wait(lambda: p.shown('#call-prompt'), 'the call')
                number = p.el('#call-prompt').text.split()[-1]
                for digit in number:
                    p.el('#keypad button[data-key="%s"]' % digit).click()
                p.wait(lambda: p.shown('#call-reply') and p.el('#call-reply').text, 'the friend\'s reply')
                p.el('#hangup').click()
                p.wait(lambda: not p.shown('#call'), 'the call hung up')
            before = p.question()
            p.answer_by_click(p.right_button())
            if p.shown('#answers') and p.question() == before:
                continue  # the host teased: the same question is asked again
            level += 1
        self.assertEqual(level, 15)
        self.assertEqual(p.grade(), 'Оценка: Отлично')
        heard = {name.rsplit('/', 1)[1].lower() for name in p.d.execute_script(clips)}
        self.assertTrue({'gong.wav', 'btnclick.wav', 'zal.wav', '50x50.wav', 'ringon.wav', 'million.wav'} <= heard, heard)

    def test_game_by_keys_with_every_lifeline_and_stop(self):
        p = self.page()
        p.join('Клавишин К.К.')
        self.assertTrue(p.ready())
        body = p.d.find_element(By.TAG_NAME, 'body')

        def press(name):
            button = p.button(name)
            p.d.execute_script('arguments[0].focus()', button)
            button.send_keys(Keys.ENTER)

        press('Пятьдесят на пятьдесят')
        p.wait(lambda: sum(1 for c in p.captions() if not c) == 2, 'two answers blanked')
        blank = next(n for n, c in enumerate(p.captions(), 1) if not c)
        body.send_keys(str(blank))  # a blanked answer's key chooses nothing
        p.answer_by_key(p.right_button())
        self.assertTrue(p.ready())
        press('Помощь аудитории')
        p.wait(lambda: p.shown('#chart'), 'the audience chart')
        p.answer_by_key(p.right_button())
        self.assertFalse(p.shown('#chart'), 'an answer takes the chart away')
        self.assertTrue(p.ready())
        question = p.question()
        press('Звонок другу')
        p.wait(lambda: p.shown('#call-prompt'), 'the call')
        number = p.el('#call-prompt').text.split()[-1]
        active = p.d.switch_to.active_element
        active.send_keys(number[:3] + '5')
        self.assertEqual(p.el('#call-display').text, number[:3] + '5')
        active.send_keys(Keys.BACKSPACE + number[3:])
        p.wait(lambda: p.shown('#call-reply') and p.el('#call-reply').text, 'the friend\'s reply')
        body.send_keys('1')  # keys dial during a call: no answer is given
        p.d.switch_to.active_element.send_keys(Keys.ENTER)
        p.wait(lambda: not p.shown('#call'), 'Enter hangs up')
        self.assertEqual(p.question(), question)
        p.answer_by_key(p.right_button())
        self.assertTrue(p.ready())
        press('Стоп')
        self.assertEqual(p.grade(), 'Оценка: Неудовлетворительно')

    def test_banners_clips_and_pauses_come_in_the_desktop_order(self):
        p = self.page(sound=True)
        p.join('Хронометров Х.Х.')
        self.assertTrue(p.ready())
        p.d.execute_script('''
            window.timeline = [];
            const t0 = performance.now();
            const log = (what) => timeline.push([performance.now() - t0, what]);
            const play = HTMLMediaElement.prototype.play;
            // Logged after the changes on the page made just before it, which the observer
            // below hears of at the end of the same task.
            HTMLMediaElement.prototype.play = function () {
              const name = 'clip ' + decodeURIComponent(this.src.split('/').pop()).replace('.wav', '').toLowerCase();
              queueMicrotask(() => log(name));
              return play.call(this);
            };
            const shown = (id) => !document.getElementById(id).hidden;
            const letter = (how) => { const b = document.querySelector('#answers .answer.' + how);
                                      return b ? 'ABCD'[Number(b.dataset.n) - 1] : ''; };
            let last = {};
            new MutationObserver(() => {
              const now = {red: letter('chosen'), lime: letter('right'),
                           board: shown('board') ? document.getElementById('board').textContent : '',
                           banner: shown('banner') ? 'shown' : 'hidden', end: shown('end') ? 'shown' : ''};
              for (const k of Object.keys(now))
                if (now[k] !== last[k] && (now[k] || k === 'banner') && last.banner !== undefined)
                  log(k + ' ' + now[k]);
              last = now;
            }).observe(document.getElementById('play'), {attributes: true, childList: true, subtree: true,
                                                       characterData: true});
            document.getElementById('question').classList.toggle('probe');''')

        def steps(since=0):
            return [(t, what) for t, what in p.d.execute_script('return timeline') if t >= since]

        right = p.right_button()
        letter = 'ABCD'[right - 1]
        p.answer_by_click(right)
        self.assertTrue(p.ready())
        done = steps()
        names = [what for _, what in done]
        jingle = next(n for n in names if n in ('clip appl', 'clip yes', 'clip ugadal', 'clip winner'))
        expected = ['clip btnclick', 'red ' + letter, 'clip pause', 'lime ' + letter, 'board * 100 *',
                    'banner shown', jingle, 'clip change', 'banner hidden', 'clip fon1']
        self.assertEqual([n for n in names if n in expected], expected)
        at = {what: t for t, what in done}
        self.assertGreaterEqual(at['lime ' + letter] - at['red ' + letter], 295)
        self.assertGreaterEqual(at['board * 100 *'] - at['lime ' + letter], 245)

        since = done[-1][0]
        wrong = p.wrong_button()
        p.answer_by_click(wrong)
        p.grade()
        done = steps(since + 1)
        names = [what for _, what in done]
        expected = ['clip btnclick', 'red ' + 'ABCD'[wrong - 1], 'clip pause', 'banner shown', 'clip false',
                    'banner hidden', 'clip final', 'board Оценка: Неудовлетворительно', 'clip begin', 'end shown']
        self.assertEqual([n for n in names if n in expected], expected)
        at = {what: t for t, what in done}
        self.assertGreaterEqual(at['end shown'] - at['board Оценка: Неудовлетворительно'], 2990)

    def test_reload_resumes_the_question_and_the_call(self):
        p = self.page()
        p.join('Перезагрузкин П.П.')
        self.assertTrue(p.ready())
        p.answer_by_click(p.right_button())
        self.assertTrue(p.ready())
        question, captions = p.question(), p.captions()
        p.button('Пятьдесят на пятьдесят').click()
        p.wait(lambda: sum(1 for c in p.captions() if not c) == 2, 'two answers blanked')
        captions = p.captions()
        p.d.refresh()
        self.assertTrue(p.ready())
        self.assertEqual((p.question(), p.captions()), (question, captions))
        self.assertFalse(p.button('Пятьдесят на пятьдесят').is_enabled())
        p.button('Звонок другу').click()
        p.wait(lambda: p.shown('#call-prompt'), 'the call')
        number = p.el('#call-prompt').text.split()[-1]
        p.wait(lambda: p.seconds_left() <= 27, 'the countdown running')
        p.d.refresh()
        p.wait(lambda: p.shown('#call-prompt'), 'the call after the reload')
        left = p.seconds_left()
        self.assertLessEqual(left, 27, 'the countdown is the server\'s, not started afresh')
        self.assertGreater(left, 0)
        self.assertEqual(p.el('#call-prompt').text.split()[-1], number)
        for digit in number:
            p.el('#keypad button[data-key="%s"]' % digit).click()
        p.wait(lambda: p.shown('#call-reply') and p.el('#call-reply').text, 'the friend\'s reply')
        p.d.refresh()
        p.wait(lambda: p.shown('#call-reply') and p.el('#call-reply').text, 'the reply after the reload')
        p.el('#hangup').click()
        self.assertTrue(p.ready())
        self.assertEqual(p.question(), question)
        p.answer_by_click(p.wrong_button())
        self.assertEqual(p.grade(), 'Оценка: Неудовлетворительно')
        p.d.refresh()
        self.assertEqual(p.grade(), 'Оценка: Неудовлетворительно')

    def test_two_browsers_with_one_surname_get_one_game(self):
        one, two = self.page(), self.page()
        one.join('   ')
        request = urllib.request.Request(SERVER.address + 'api/join', method='POST',
                                         data=json.dumps({'lesson': 'ДЕМО', 'name': '   '}).encode(),
                                         headers={'Content-Type': 'application/json'})
        with self.assertRaises(urllib.error.HTTPError) as refused:
            urllib.request.urlopen(request)
        words = json.load(refused.exception)['error']
        one.wait(lambda: one.el('#join-error').text, 'the refusal of a blank name')
        self.assertEqual(one.el('#join-error').text, words, 'the server\'s words, as it says them')
        one.el('#lesson').clear()
        one.el('#name').clear()
        for p in (one, two):
            p.wait(lambda: p.shown('#lesson'), 'the join form')
            p.el('#lesson').send_keys('ДЕМО')
            p.el('#name').send_keys('Двойников Д.Д.')
        for p in (one, two):
            p.d.execute_script("document.getElementById('join-form').requestSubmit()")
        refusal = 'Нельзя дважды отвечать на вопросы теста!'
        outcomes = []
        for p in (one, two):
            p.wait(lambda: p.shown('#answers') or p.el('#join-error').text, 'a game or a refusal')
            outcomes.append('game' if p.shown('#answers') else p.el('#join-error').text)
        self.assertEqual(sorted(outcomes), sorted(['game', refusal]))

    def test_a_game_moves_to_another_device_only_when_the_teacher_allows(self):
        old, new = self.page(), self.page()
        old.join('Переездов П.П.')
        self.assertTrue(old.ready())
        old.answer_by_click(old.right_button())
        self.assertTrue(old.ready())
        question, captions = old.question(), old.captions()
        new.join('Переездов П.П.')
        new.wait(lambda: new.el('#join-error').text, 'the refusal')
        self.assertEqual(new.el('#join-error').text, 'Нельзя дважды отвечать на вопросы теста!')
        student = next(s for s in SERVER.room()['students'] if s['name'] == 'ПЕРЕЕЗДОВ П.П.')
        SERVER.teacher('allow', {'id': student['id']})
        new.join('Переездов П.П.')
        self.assertTrue(new.ready())
        self.assertEqual((new.question(), new.captions()), (question, captions))
        old.wait(lambda: old.shown('#join'), 'the old device let go')
        self.assertTrue(old.el('#join-error').text)
        new.answer_by_click(new.right_button())
        self.assertTrue(new.ready())
        self.assertEqual(new.el('#ladder li.current').get_attribute('data-level'), '3')

    def test_phone_sized_page_keeps_everything_in_view(self):
        p = self.page(size=(600, 800))
        p.d.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                            {'width': 360, 'height': 640, 'deviceScaleFactor': 1, 'mobile': True})
        p.d.refresh()
        outside = """
            const out = [];
            for (const e of document.querySelectorAll('body *')) {
              const r = e.getBoundingClientRect();
              if (r.width && r.height && (r.left < -0.5 || r.right > 360.5))
                out.push(e.tagName + '#' + e.id + '.' + e.className + ' ' + r.left + '..' + r.right);
            }
            // A phone's browser widens its layout to content that does not fit: that too is cut off.
            if (document.documentElement.scrollWidth > 360 || window.innerWidth !== 360)
              out.push('page ' + document.documentElement.scrollWidth + ' in ' + window.innerWidth);
            return out;"""
        self.assertEqual(p.d.execute_script('return window.innerWidth'), 360)
        self.assertEqual(p.d.execute_script(outside), [])
        p.join('Телефонов Т.Т.')
        self.assertTrue(p.ready())
        self.assertEqual(p.d.execute_script(outside), [])
        shot(p.d, 'phone-question.png')
        p.button('Звонок другу').click()
        p.wait(lambda: p.shown('#call-prompt'), 'the call')
        self.assertEqual(p.d.execute_script(outside), [])
        shot(p.d, 'phone-call.png')

    def test_accessibility_tree_names_every_control_and_tells_the_verdict(self):
        p = self.page()
        p.join('Читалкин Ч.Ч.')
        self.assertTrue(p.ready())
        shot(p.d, 'laptop-question.png')
        nodes = [n for n in ax_nodes(p.d) if not n.get('ignored')]
        controls = [n for n in nodes if ax_value(n, 'role') in ('button', 'textbox', 'DisclosureTriangle')]
        self.assertTrue(controls)
        self.assertEqual([n for n in controls if not ax_value(n, 'name').strip()], [], 'unnamed controls')
        names = [ax_value(n, 'name') for n in nodes if ax_value(n, 'role') == 'button']
        answers = [n for n in names if re.match(r'^[A-D]\. ', n)]
        self.assertEqual([a[0] for a in answers], ['A', 'B', 'C', 'D'])
        for name in ('Пятьдесят на пятьдесят', 'Помощь аудитории', 'Звонок другу', 'Стоп'):
            self.assertIn(name, names)
        p.d.find_element(By.TAG_NAME, 'body').send_keys(str(p.right_button()))
        p.wait(lambda: p.shown('#banner'), 'the host\'s banner')
        nodes = {n['nodeId']: n for n in ax_nodes(p.d)}
        live = [n for n in nodes.values() if ax_property(n, 'live') == 'assertive']
        self.assertEqual(len(live), 1, 'one live region')

        def text(node):
            own = ax_value(node, 'name') if ax_value(node, 'role') == 'StaticText' else ''
            return ' '.join([own] + [text(nodes[c]) for c in node.get('childIds', []) if c in nodes])

        self.assertRegex(text(live[0]), r'Верно: [A-D]\. ')
        shot(p.d, 'laptop-banner.png')

    def test_lost_network_is_waited_for_and_the_teacher_sees_the_page(self):
        p = self.page()
        p.join('Сетевой С.С.')
        self.assertTrue(p.ready())
        right = p.right_button()
        p.d.execute_cdp_cmd('Network.enable', {})
        offline = {'offline': True, 'latency': 0, 'downloadThroughput': -1, 'uploadThroughput': -1}
        p.d.execute_cdp_cmd('Network.emulateNetworkConditions', offline)
        p.d.find_elements(By.CSS_SELECTOR, '#answers .answer')[right - 1].click()
        p.wait(lambda: p.shown('#offline'), 'the notice of a lost network')
        self.assertEqual(p.el('#offline').text, 'Нет связи с сервером класса, ждём…')
        p.d.execute_cdp_cmd('Network.emulateNetworkConditions', dict(offline, offline=False))
        p.wait(lambda: not p.shown('#offline'), 'the network back')
        p.wait(p.idle, 'the verdict sequence')
        self.assertTrue(p.ready())
        self.assertEqual(p.el('#ladder li.current').get_attribute('data-level'), '2', 'the answer counted once')
        mine = lambda: next(s for s in SERVER.room()['students'] if s['name'] == 'СЕТЕВОЙ С.С.')
        self.assertEqual(mine()['leaves'], 0)
        first = p.d.current_window_handle
        p.d.switch_to.new_window('tab')
        p.wait(lambda: mine()['leaves'] == 1, 'the page left, as the teacher sees it')
        p.d.close()
        p.d.switch_to.window(first)
        p.wait(lambda: mine()['state'] == 'в игре', 'the page back')
        SERVER.teacher('end', {'id': mine()['id']})
        self.assertEqual(p.grade(), 'Оценка: Неудовлетворительно', 'the teacher\'s end reaches the page by itself')

    def test_colours_read_at_four_and_a_half_to_one_in_both_print_sizes(self):
        p = self.page()
        p.join('Контрастов К.К.')
        self.assertTrue(p.ready())
        contrast = '''
            const rgb = (c) => (c.match(/[\\d.]+/g) || []).map(Number);
            const lum = ([r, g, b]) => [r, g, b].map((v) => { v /= 255; return v <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4); })
                                              .reduce((s, v, i) => s + v * [0.2126, 0.7152, 0.0722][i], 0);
            const behind = (e) => { for (; e; e = e.parentElement) { const c = rgb(getComputedStyle(e).backgroundColor);
                                     if (c.length === 3 || c[3] > 0) return c.slice(0, 3); } return [255, 255, 255]; };
            const poor = [];
            for (const e of document.querySelectorAll('body *')) {
              if (!e.offsetParent && getComputedStyle(e).position !== 'fixed') continue;
              if (![...e.childNodes].some((n) => n.nodeType === 3 && n.textContent.trim())) continue;
              const s = getComputedStyle(e);
              const [a, b] = [lum(rgb(s.color).slice(0, 3)), lum(behind(e))];
              const ratio = (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05);
              if (ratio < 4.5 && !e.closest(':disabled')) poor.push(e.tagName + '#' + e.id + '.' + e.className + ' ' + ratio.toFixed(2));
            }
            return poor;'''
        size = lambda: float(p.d.execute_script("return parseFloat(getComputedStyle(document.getElementById('question')).fontSize)"))
        normal = size()
        self.assertEqual(p.d.execute_script(contrast), [])
        p.button('Крупный шрифт').click()
        self.assertGreaterEqual(size(), normal * 1.2)
        p.d.refresh()
        self.assertTrue(p.ready())
        self.assertGreaterEqual(size(), normal * 1.2, 'large print is remembered')
        self.assertEqual(p.d.execute_script(contrast), [])
        right = p.right_button()
        p.d.find_elements(By.CSS_SELECTOR, '#answers .answer')[right - 1].click()
        p.wait(lambda: p.shown('#banner'), 'the host\'s banner')
        self.assertEqual(p.d.execute_script(contrast), [])
        p.wait(p.idle, 'the verdict sequence')
        p.answer_by_click(p.wrong_button())
        p.wait(lambda: p.shown('#end'), 'the end')
        self.assertEqual(p.d.execute_script(contrast), [])

    def test_first_page_is_small(self):
        total = 0
        page = urllib.request.urlopen(SERVER.address).read()
        total += len(page)
        for ref in re.findall(rb'(?:href|src)="(/[^"]+)"', page):
            total += len(urllib.request.urlopen(SERVER.address + ref.decode()[1:]).read())
        self.assertGreater(total, 1000)
        self.assertLessEqual(total, 200 * 1024)


def shot(driver, name):
    if ARGS.shots:
        os.makedirs(ARGS.shots, exist_ok=True)
        driver.save_screenshot(os.path.join(ARGS.shots, name))


if __name__ == '__main__':
    parser = argparse.ArgumentParser()
    parser.add_argument('--program', required=True)
    parser.add_argument('--folder', required=True)
    parser.add_argument('--bank', required=True)
    parser.add_argument('--shots', default='')
    ARGS, rest = parser.parse_known_args()
    BANK = read_bank(ARGS.bank)
    SERVER = Server()
    try:
        result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    finally:
        code = SERVER.stop()
    if code != 0:
        print('tallory-class exited with %s on SIGTERM' % code)
    sys.exit(0 if result.wasSuccessful() and code == 0 else 1)

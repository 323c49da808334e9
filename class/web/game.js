// The browser face of a game on the class server. The server decides everything (the question,
// the answer order, the verdict, the lifelines' outcomes, the friend's clock); this page paces
// and shows what it decided, in the order the desktop game shows it: banners, clips and pauses.
// This file, loaded last, holds those sequences (and busy, the flag that holds input while one
// is on), joining, and the wiring of buttons and keys; net.js, sound.js, view.js and call.js
// before it share their parts through window.Tallory.
'use strict';
(() => {
  const T = window.Tallory;
  const { $, sleep, store } = T;

  const WIN_TEXT = 'Это фантастика! Поздравляем! Вы получили ПЯТЕРКУ!';
  const HEARTBEAT_MS = 5000;
  const LARGE_KEY = 'tallory.large';

  T.busy = false;        // a sequence is on: input waits for it as the desktop's held thread does

  // ---- banners and sequences ----------------------------------------------------------------

  function showBanner(text, kind) {
    const banner = $('banner');
    // The host looks on while speaking, as the desktop shows the presenter after a click; the
    // picture (the folder's own presenter, when it has one) is fetched the first time.
    if (!$('host').getAttribute('src'))
      $('host').src = '/img/vedok';
    $('banner-text').textContent = (text || '').trim();
    banner.className = 'banner ' + kind;
    banner.hidden = false;
    T.say(text);
  }

  function hideBanner() {
    $('banner').hidden = true;
  }

  async function bannerWith(text, kind, first, then) {
    showBanner(text, kind);
    await T.clipToEnd(first, true);
    if (then)
      await T.clipToEnd(then, false);
    hideBanner();
  }

  // The clips of an end, as the server names them: the last plays under the grade's board.
  function endClips(end) {
    return end && Array.isArray(end.clips) ? end.clips : ['final', 'begin'];
  }

  async function finish(end) {
    T.stopMusic();
    T.hideChart();
    T.hideCall();
    T.drawLadder(T.view ? T.view.level : 1, true);
    T.board(T.gradeLine(end));
    T.say('Игра окончена. ' + T.sentence(T.gradeLine(end)));
    const clips = endClips(end);
    if (clips.length)
      T.clip(clips[clips.length - 1]);
    await sleep(3000);
    T.showEnd(end);
  }

  function mark(n, how) {
    const button = T.answerButtons()[n - 1];
    if (button)
      button.classList.add(how);
  }

  async function verdict(n, event) {
    for (const b of T.answerButtons())
      b.disabled = true;
    mark(n, 'chosen');
    T.clip('pause');
    await sleep(300);
    const right = T.caption(event.correct);
    mark(event.correct, 'right');
    T.say(event.right ? 'Верно: ' + right + '.' : 'Неверно. Верный ответ: ' + right + '.');
    await sleep(250);
    if (!event.right) {
      await bannerWith(event.remark, 'wrong', event.clip || 'false');
      await T.clipToEnd(endClips(event.end)[0], true);
      await finish(event.end || (T.view && T.view.end));
      return;
    }
    T.board('* ' + event.points + ' *');
    T.say('У вас ' + event.points + ' очков.');
    await bannerWith(event.remark, event.milestone ? 'milestone' : 'praise', event.clip, 'change');
    if (event.end) {
      if (event.end.how === 'won')
        await bannerWith(event.end.banner || WIN_TEXT, 'won', endClips(event.end)[0] || 'MILLION');
      await finish(event.end);
      return;
    }
    T.render();
  }

  // The page's state for anyone who watches it (and for its tests): a sequence is on.
  function setBusy(on) {
    T.busy = on;
    document.body.dataset.busy = on ? '1' : '0';
  }

  async function sequence(work) {
    if (T.busy || !T.view)
      return;
    setBusy(true);
    try {
      await work();
    } finally {
      setBusy(false);
    }
  }

  function asking() {
    return T.view && T.view.state === 'question' && !(T.view.question && T.view.question.answered);
  }

  function answer(n) {
    if (!asking() || (T.view.question.blank || []).includes(n))
      return;
    sequence(async () => {
      T.hideChart();
      T.stopMusic();
      T.clip('btnclick');
      const event = await T.act('answer', { button: n });
      if (!event)
        return;
      if (event.teased) {
        await bannerWith(event.tease, 'tease', event.clip || 'pause');
        T.holdMusic(T.view.music); // the music stays silent until its next phase, as after a tease on the desktop
        return;
      }
      await verdict(n, event);
    });
  }

  function stop() {
    if (!asking() || !T.view.mayStop)
      return;
    sequence(async () => {
      T.hideChart();
      const event = await T.act('stop');
      if (!event)
        return;
      T.stopMusic();
      await T.clipToEnd(endClips(event.end)[0], false);
      await finish(event.end || T.view.end);
    });
  }

  function fifty() {
    if (!asking() || T.used('fifty'))
      return;
    sequence(async () => {
      T.hideChart();
      const event = await T.act('fifty');
      if (!event)
        return;
      T.clip(event.clip || '50x50');
      T.render();
      const gone = (event.blank || []).slice().sort().map((k) => T.LETTERS[k - 1]);
      T.say('Пятьдесят на пятьдесят: убраны ответы ' + gone.join(' и ') + '.');
    });
  }

  Object.assign(T, { endClips, finish, setBusy, sequence, asking });

  // ---- joining ------------------------------------------------------------------------------

  let joining = false;
  async function join(lesson, name) {
    if (joining)
      return;
    joining = true;
    $('start').disabled = true;
    $('join-error').textContent = '';
    try {
      // One key per press of «Начать»: a retry after a lost answer is the same join, not a second attempt.
      const join = T.randomHex(16);
      const reply = await T.post('/api/join', { lesson, name, join });
      T.token = reply.token;
      store.set(T.TOKEN_KEY, T.token);
      T.view = reply.game;
      T.shownKey = '';
      T.showPlay();
      T.drawLadder(T.view.level, false);
      T.showQuestionArea(false);
      setBusy(true);
      await T.clipToEnd('gong', false);
      setBusy(false);
      T.render();
      $('question').focus();
    } catch (e) {
      setBusy(false);
      $('join-error').textContent = e.message;
      $('start').disabled = false;
    } finally {
      joining = false;
    }
  }

  // ---- wiring -------------------------------------------------------------------------------

  function setLarge(on) {
    document.documentElement.classList.toggle('large', on);
    store.set(LARGE_KEY, on ? '1' : '0');
    $('large').setAttribute('aria-pressed', on ? 'true' : 'false');
  }

  $('sound').addEventListener('click', () => {
    // The click is heard when the sound goes off, and not when it comes on, as on the desktop.
    if (T.soundIsOn()) {
      T.clip('btnclick');
      T.setSound(false);
    } else {
      T.setSound(true);
    }
  });
  $('large').addEventListener('click', () => setLarge(!document.documentElement.classList.contains('large')));

  $('join-form').addEventListener('submit', (e) => {
    e.preventDefault();
    join($('lesson').value, $('name').value);
  });
  $('again').addEventListener('click', () => T.forget(''));

  T.answerButtons().forEach((button) => button.addEventListener('click', () => answer(Number(button.dataset.n))));
  $('fifty').addEventListener('click', fifty);
  $('audience').addEventListener('click', T.audience);
  $('friend').addEventListener('click', T.phoneFriend);
  $('stop').addEventListener('click', stop);
  $('hangup').addEventListener('click', T.hangUp);
  for (const key of document.querySelectorAll('#keypad button'))
    key.addEventListener('click', () => T.dialKey(key.dataset.key));

  document.addEventListener('keydown', (e) => {
    if (e.altKey || e.ctrlKey || e.metaKey || !T.view)
      return;
    const target = e.target;
    if (target && (target.tagName === 'INPUT' || target.tagName === 'TEXTAREA'))
      return;
    if (T.inCall()) {
      if (e.key === 'Enter') {
        // Enter hangs up wherever the focus is, as in the call window; a key's own Enter would
        // otherwise dial its digit and hang up at once.
        e.preventDefault();
        T.hangUp();
      } else if (/^[0-9*#]$/.test(e.key) || e.key === 'Escape' || e.key === 'Backspace') {
        e.preventDefault();
        T.dialKey(e.key);
      }
      return;
    }
    if (/^[1-4]$/.test(e.key)) {
      e.preventDefault();
      answer(Number(e.key));
    }
  });

  // Leaving the page during a question is told to the server, which records it for the teacher.
  document.addEventListener('visibilitychange', () => {
    if (!T.token || !T.view || T.view.state === 'finished')
      return;
    const what = document.visibilityState === 'hidden' ? 'hidden' : 'visible';
    T.post('/api/act', { token: T.token, step: T.view.step, do: what }).catch(() => { /* a late report is only a report */ });
    if (what === 'visible' && !T.busy)
      T.refresh();
  });
  window.addEventListener('pageshow', (e) => {
    if (e.persisted)
      T.refresh();
  });

  setInterval(() => {
    if (T.token && T.view && T.view.state !== 'finished')
      T.refresh();
  }, HEARTBEAT_MS);

  T.setSound(T.soundIsOn());
  setLarge(store.get(LARGE_KEY) === '1');
  const wide = window.matchMedia('(min-width: 900px)');
  const openLadder = () => { $('ladder-box').open = wide.matches; };
  openLadder();
  if (wide.addEventListener)
    wide.addEventListener('change', openLadder);

  if (T.token) {
    // A reload or a phone waking up: the server says where the game stands.
    $('join').hidden = true;
    T.refresh();
  } else
    T.showJoin('');
})();

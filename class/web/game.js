// The browser face of a game on the class server. The server decides everything (the question,
// the answer order, the verdict, the lifelines' outcomes, the friend's clock); this page paces
// and shows what it decided, in the order the desktop game shows it: banners, clips and pauses.
'use strict';
(() => {
  const $ = (id) => document.getElementById(id);
  const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

  const POINTS = [0, 100, 200, 300, 500, 1000, 2000, 4000, 8000, 16000, 32000, 64000, 125000, 250000, 500000, 1000000];
  const LETTERS = ['A', 'B', 'C', 'D'];
  const WIN_TEXT = 'Это фантастика! Поздравляем! Вы получили ПЯТЕРКУ!';
  const OFFLINE_AFTER_MS = 10000;
  const HEARTBEAT_MS = 5000;

  // The browser may refuse storage (a private window): the game goes on, it only forgets more.
  const store = {
    get(key) { try { return localStorage.getItem(key); } catch (e) { return null; } },
    set(key, value) { try { localStorage.setItem(key, value); } catch (e) { /* kept in memory only */ } },
    drop(key) { try { localStorage.removeItem(key); } catch (e) { /* nothing kept */ } },
  };
  const TOKEN_KEY = 'tallory.token';
  const SOUND_KEY = 'tallory.sound';
  const LARGE_KEY = 'tallory.large';

  let token = store.get(TOKEN_KEY);
  let view = null;       // the game as the server last described it
  let busy = false;      // a sequence is on: input waits for it as the desktop's held thread does
  let shownKey = '';     // which question is on screen, to tell a new one from a redraw
  let chartShownFor = '';
  let dialled = '';
  let callDeadline = 0;  // when the server's clock ends the call, seen through this page's clock
  let callTicker = 0;
  let soundOn = store.get(SOUND_KEY) !== '0';

  // ---- the server ---------------------------------------------------------------------------

  class Refusal extends Error {
    constructor(status, body) {
      super((body && body.error) || 'Сервер класса отказал.');
      this.status = status;
      this.body = body || {};
    }
  }

  let failingSince = 0;
  function offline(on) {
    if (!on) {
      failingSince = 0;
      $('offline').hidden = true;
      return;
    }
    if (!failingSince)
      failingSince = Date.now();
    $('offline').hidden = false;
  }

  // One request, retried with growing pauses while the network or the server is away: the same
  // body again is safe, the server answers a repeated step with its stored answer.
  function randomHex(bytes) {
    const a = new Uint8Array(bytes);
    crypto.getRandomValues(a);
    return Array.from(a, (b) => b.toString(16).padStart(2, '0')).join('');
  }

  async function post(path, body) {
    let pause = 500;
    for (;;) {
      let response = null;
      const abort = new AbortController();
      const timer = setTimeout(() => abort.abort(), OFFLINE_AFTER_MS);
      try {
        response = await fetch(path, {
          method: 'POST',
          headers: { 'Content-Type': 'application/json' },
          body: JSON.stringify(body),
          cache: 'no-store',
          signal: abort.signal,
        });
      } catch (e) {
        response = null;
      } finally {
        clearTimeout(timer);
      }
      if (response && response.status !== 429 && response.status < 500) {
        offline(false);
        let data = {};
        try { data = await response.json(); } catch (e) { data = {}; }
        if (response.ok)
          return data;
        throw new Refusal(response.status, data);
      }
      // Too many requests is the server asking for patience, not a lost network.
      if (!response || response.status >= 500)
        offline(true);
      await sleep(pause);
      pause = Math.min(pause * 2, 8000);
    }
  }

  // A newer view wins; an older one (a slow heartbeat overtaken by an action) is dropped.
  function adopt(game) {
    if (!game)
      return false;
    if (view && game.step < view.step)
      return false;
    view = game;
    return true;
  }

  function forget(message) {
    token = null;
    store.drop(TOKEN_KEY);
    view = null;
    setBusy(false);
    stopMusic();
    showJoin(message);
  }

  async function act(what, extra) {
    const body = Object.assign({ token, step: view.step, do: what }, extra || {});
    try {
      const reply = await post('/api/act', body);
      adopt(reply.game);
      return reply.event || null;
    } catch (e) {
      if (!(e instanceof Refusal))
        throw e;
      if (e.status === 404 && !e.body.game) {
        forget(e.message);
      } else {
        if (e.body.game)
          view = e.body.game;
        say(e.message);
        render();
      }
      return null;
    }
  }

  // One question to the server at a time: while the network is away, a heartbeat that finds
  // the last one still retrying waits with it rather than piling up beside it.
  let pending = null;
  function refresh() {
    if (!pending)
      pending = askServer().finally(() => { pending = null; });
    return pending;
  }

  async function askServer() {
    if (!token)
      return;
    try {
      const reply = await post('/api/game', { token });
      const wasPlaying = view && view.state !== 'finished' && !$('play').hidden;
      if (adopt(reply.game) && !busy) {
        // The teacher ended the game: it ends on the page as a stop does, with its board.
        if (wasPlaying && view.state === 'finished')
          sequence(async () => {
            if (view.end && view.end.how === 'teacher')
              say('Учитель завершил игру.');
            await clipToEnd(endClips(view.end)[0], false);
            await finish(view.end);
          });
        else
          render();
      }
      else if (reply.game && view && reply.game.step === view.step && view.state === 'call')
        setCallClock(view.call);
    } catch (e) {
      if (e instanceof Refusal && e.status === 404)
        forget(e.message);
    }
  }

  // ---- sound --------------------------------------------------------------------------------

  const clips = {};
  let playing = null;
  let music = '';
  let musicTicks = 0;
  let phaseLength = 0;

  function clipFor(name) {
    const key = name.toLowerCase();
    if (!clips[key]) {
      // Fetched the first time it is heard, then kept.
      clips[key] = new Audio('/wav/' + encodeURIComponent(name) + '.wav');
      clips[key].preload = 'auto';
    }
    return clips[key];
  }

  function stopClip() {
    if (!playing)
      return;
    const clip = playing;
    playing = null;
    clip.pause();
  }

  // Plays one clip, cutting off the one playing, as the desktop does. Resolves true when it has
  // ended (or was cut off), false when it could not be heard at all.
  function play(name) {
    if (!soundOn || !name)
      return Promise.resolve(false);
    stopClip();
    const clip = clipFor(name);
    try { clip.currentTime = 0; } catch (e) { /* not loaded yet */ }
    playing = clip;
    return new Promise((resolve) => {
      let watchdog = 0;
      const done = (heard) => {
        clip.removeEventListener('ended', onEnded);
        clip.removeEventListener('pause', onEnded);
        clip.removeEventListener('error', onError);
        clearTimeout(watchdog);
        if (playing === clip && !heard)
          playing = null;
        resolve(heard);
      };
      const onEnded = () => done(true);
      const onError = () => done(false);
      clip.addEventListener('ended', onEnded);
      clip.addEventListener('pause', onEnded);
      clip.addEventListener('error', onError);
      // A clip that stalls on a weak network must not hold the game for ever.
      watchdog = setTimeout(() => done(true), 20000);
      clip.play().catch(() => done(false));
    });
  }

  function clip(name) {
    play(name);
  }

  async function clipToEnd(name, pauseIfSilent) {
    const heard = await play(name);
    if (!heard && pauseIfSilent)
      await sleep(2000);
  }

  function phaseOf(level) {
    return level <= 5 ? 13 : (level <= 10 ? 16 : 7);
  }

  // The question's music starts with it and starts again every phase: 13, 16 or 7 seconds by
  // the level's band, 10 after the audience was asked (when its chart goes).
  function startMusic(name, level) {
    music = name || '';
    musicTicks = 0;
    phaseLength = phaseOf(level);
    clip(music);
  }

  function stopMusic() {
    music = '';
    stopClip();
  }

  setInterval(() => {
    if (!music || busy)
      return;
    musicTicks += 1;
    if (musicTicks >= phaseLength) {
      musicTicks = 0;
      hideChart();
      clip(music);
    }
  }, 1000);

  // ---- what a reader hears ------------------------------------------------------------------

  function say(text, fresh) {
    const live = $('live');
    if (fresh)
      live.textContent = '';
    if (!text)
      return;
    const line = document.createElement('p');
    line.textContent = text;
    live.appendChild(line);
  }

  function sentence(text) {
    const t = (text || '').trim();
    return !t || '.?!…'.includes(t[t.length - 1]) ? t : t + '.';
  }

  // ---- drawing ------------------------------------------------------------------------------

  function answerButtons() {
    return Array.from(document.querySelectorAll('#answers .answer'));
  }

  function caption(n) {
    const button = answerButtons()[n - 1];
    return button ? button.textContent : '';
  }

  function used(name) {
    return !!(view && view.lifelines && view.lifelines[name]);
  }

  function showJoin(message) {
    $('join').hidden = false;
    $('play').hidden = true;
    $('who').textContent = '';
    $('join-error').textContent = message || '';
    $('start').disabled = false;
  }

  // The desktop's row: " 10 -    32.000 - 4"; a reader gets the points and the milestone in words.
  function ladderPoints(n) {
    return String(POINTS[n]).replace(/\B(?=(\d{3})+(?!\d))/g, '.');
  }

  function drawLadder(level, finished) {
    const ladder = $('ladder');
    if (!ladder.children.length) {
      for (let n = 15; n >= 1; --n) {
        const row = document.createElement('li');
        row.dataset.level = String(n);
        const milestone = n % 5 === 0;
        if (milestone)
          row.classList.add('milestone');
        const number = document.createElement('span');
        number.className = 'level';
        number.textContent = String(n);
        const points = document.createElement('span');
        points.className = 'points';
        points.textContent = ladderPoints(n);
        const grade = document.createElement('span');
        grade.className = 'mark';
        grade.setAttribute('aria-hidden', 'true');
        grade.textContent = milestone ? String(n / 5 + 2) : '';
        const words = document.createElement('span');
        words.className = 'unseen';
        row.append(number, ' ', points, grade, words);
        ladder.appendChild(row);
      }
    }
    for (const row of ladder.children) {
      const n = Number(row.dataset.level);
      const words = [' очков'];
      if (n % 5 === 0)
        words.push('несгораемая сумма, оценка ' + (n / 5 + 2));
      const current = !finished && n === level;
      if (current)
        words.push('текущий вопрос');
      else if (n < level)
        words.push(n % 5 === 0 ? 'заработана' : 'пройден');
      row.classList.toggle('current', current);
      row.classList.toggle('passed', n < level);
      if (current)
        row.setAttribute('aria-current', 'step');
      else
        row.removeAttribute('aria-current');
      row.lastChild.textContent = words.join(', ');
    }
    const points = view ? view.points : 0;
    $('ladder-summary').textContent = finished
      ? 'Лестница вопросов'
      : 'Вопрос ' + level + ' из 15 на ' + POINTS[level].toLocaleString('ru-RU') + ' очков · у вас ' + points.toLocaleString('ru-RU');
  }

  function showPlay() {
    $('join').hidden = true;
    $('play').hidden = false;
    $('who').textContent = view.lesson + ' · ' + view.name;
  }

  function showQuestionArea(on) {
    $('question-box').hidden = !on;
    $('answers').hidden = !on;
    $('lifelines').hidden = !on;
    $('keys-hint').hidden = !on;
  }

  function board(text) {
    showQuestionArea(false);
    $('board').textContent = text;
    $('board').hidden = false;
  }

  function render() {
    if (!view) {
      showJoin('');
      return;
    }
    showPlay();
    $('banner').hidden = true;
    if (view.state === 'finished') {
      hideCall();
      hideChart();
      drawLadder(view.level, true);
      showEnd(view.end);
      return;
    }
    $('end').hidden = true;
    $('board').hidden = true;
    showQuestionArea(true);
    drawLadder(view.level, false);
    const q = view.question || { text: '', answers: ['', '', '', ''], blank: [] };
    $('question').textContent = q.text;
    const picture = $('picture');
    if (q.picture) {
      if (picture.getAttribute('src') !== q.picture)
        picture.src = q.picture;
      picture.hidden = false;
    } else {
      picture.hidden = true;
      picture.removeAttribute('src');
    }
    const blank = q.blank || [];
    answerButtons().forEach((button, i) => {
      const n = i + 1;
      button.classList.remove('chosen', 'right');
      if (blank.includes(n)) {
        button.textContent = '';
        button.setAttribute('aria-label', LETTERS[i] + '. ответ убран');
        button.disabled = true;
      } else {
        button.textContent = LETTERS[i] + '. ' + q.answers[i];
        button.removeAttribute('aria-label');
        button.disabled = false;
      }
      if (q.answered === n)
        button.classList.add('chosen');
      if (q.correct === n)
        button.classList.add('right');
      if (q.answered)
        button.disabled = true;
    });
    const asking = view.state === 'question' && !q.answered;
    for (const name of ['fifty', 'audience', 'friend']) {
      $(name).disabled = !asking || used(name);
      $(name).classList.toggle('used', used(name));
    }
    $('stop').disabled = !asking || !view.mayStop;

    const key = view.level + '|' + q.text;
    if (key !== shownKey) {
      shownKey = key;
      hideChart();
      const captions = answerButtons().map((b) => sentence(b.textContent || b.getAttribute('aria-label'))).join(' ');
      say('Вопрос ' + view.level + ' на ' + POINTS[view.level] + ' очков. ' + sentence(q.text) + ' ' + captions, true);
      startMusic(view.music, view.level);
      // The answer pressed went with the old question: the focus rests on the new one, where
      // Tab goes on to its answers, rather than falling back to the top of the page.
      if (!document.activeElement || document.activeElement === document.body)
        $('question').focus({ preventScroll: true });
    }
    if (view.votes && chartShownFor !== key)
      showChart(view.votes);
    if (view.state === 'call' && view.call)
      showCall(view.call);
    else
      hideCall();
  }

  // The grade line, or what kept the game from a grade (a bank that failed, a record not written).
  function gradeLine(end) {
    if (end && end.gradeText)
      return 'Оценка: ' + end.gradeText;
    return (end && end.message) || 'Игра окончена без оценки.';
  }

  function showEnd(end) {
    stopMusic();
    $('board').hidden = true;
    showQuestionArea(false);
    $('end').hidden = false;
    $('grade').textContent = gradeLine(end);
    const lines = [];
    if (end && end.message && end.message !== gradeLine(end))
      lines.push(end.message);
    if (end && end.gradeText)
      lines.push('Верных ответов: ' + end.levels + ', очков: ' + Number(end.points || 0).toLocaleString('ru-RU') + '.');
    $('end-message').textContent = lines.join(' ');
  }

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
    say(text);
  }

  function hideBanner() {
    $('banner').hidden = true;
  }

  async function bannerWith(text, kind, first, then) {
    showBanner(text, kind);
    await clipToEnd(first, true);
    if (then)
      await clipToEnd(then, false);
    hideBanner();
  }

  // The clips of an end, as the server names them: the last plays under the grade's board.
  function endClips(end) {
    return end && Array.isArray(end.clips) ? end.clips : ['final', 'begin'];
  }

  async function finish(end) {
    stopMusic();
    hideChart();
    hideCall();
    drawLadder(view ? view.level : 1, true);
    board(gradeLine(end));
    say('Игра окончена. ' + sentence(gradeLine(end)));
    const clips = endClips(end);
    if (clips.length)
      clip(clips[clips.length - 1]);
    await sleep(3000);
    showEnd(end);
  }

  function mark(n, how) {
    const button = answerButtons()[n - 1];
    if (button)
      button.classList.add(how);
  }

  async function verdict(n, event) {
    for (const b of answerButtons())
      b.disabled = true;
    mark(n, 'chosen');
    clip('pause');
    await sleep(300);
    const right = caption(event.correct);
    mark(event.correct, 'right');
    say(event.right ? 'Верно: ' + right + '.' : 'Неверно. Верный ответ: ' + right + '.');
    await sleep(250);
    if (!event.right) {
      await bannerWith(event.remark, 'wrong', event.clip || 'false');
      await clipToEnd(endClips(event.end)[0], true);
      await finish(event.end || (view && view.end));
      return;
    }
    board('* ' + event.points + ' *');
    say('У вас ' + event.points + ' очков.');
    await bannerWith(event.remark, event.milestone ? 'milestone' : 'praise', event.clip, 'change');
    if (event.end) {
      if (event.end.how === 'won')
        await bannerWith(event.end.banner || WIN_TEXT, 'won', endClips(event.end)[0] || 'MILLION');
      await finish(event.end);
      return;
    }
    render();
  }

  // The page's state for anyone who watches it (and for its tests): a sequence is on.
  function setBusy(on) {
    busy = on;
    document.body.dataset.busy = on ? '1' : '0';
  }

  async function sequence(work) {
    if (busy || !view)
      return;
    setBusy(true);
    try {
      await work();
    } finally {
      setBusy(false);
    }
  }

  function asking() {
    return view && view.state === 'question' && !(view.question && view.question.answered);
  }

  function answer(n) {
    if (!asking() || (view.question.blank || []).includes(n))
      return;
    sequence(async () => {
      hideChart();
      stopMusic();
      clip('btnclick');
      const event = await act('answer', { button: n });
      if (!event)
        return;
      if (event.teased) {
        await bannerWith(event.tease, 'tease', event.clip || 'pause');
        music = view.music; // the music stays silent until its next phase, as after a tease on the desktop
        return;
      }
      await verdict(n, event);
    });
  }

  function stop() {
    if (!asking() || !view.mayStop)
      return;
    sequence(async () => {
      hideChart();
      const event = await act('stop');
      if (!event)
        return;
      stopMusic();
      await clipToEnd(endClips(event.end)[0], false);
      await finish(event.end || view.end);
    });
  }

  function fifty() {
    if (!asking() || used('fifty'))
      return;
    sequence(async () => {
      hideChart();
      const event = await act('fifty');
      if (!event)
        return;
      clip(event.clip || '50x50');
      render();
      const gone = (event.blank || []).slice().sort().map((k) => LETTERS[k - 1]);
      say('Пятьдесят на пятьдесят: убраны ответы ' + gone.join(' и ') + '.');
    });
  }

  function audience() {
    if (!asking() || used('audience'))
      return;
    sequence(async () => {
      const event = await act('audience');
      if (!event)
        return;
      render();
      showChart(event.votes);
      clip(event.clip || 'zal');
      musicTicks = 0;
      phaseLength = 10;
    });
  }

  function phoneFriend() {
    if (!asking() || used('friend'))
      return;
    sequence(async () => {
      hideChart();
      clip('btnclick');
      const event = await act('friend');
      if (!event)
        return;
      dialled = '';
      render();
      if (view.call)
        say('Звонок другу. Наберите номер телефона: ' + view.call.number.split('').join(' ') + '. У вас ' + view.call.secondsLeft + ' секунд.', true);
      $('call-title').focus();
    });
  }

  // ---- the audience's chart -----------------------------------------------------------------

  const BAR_COLOURS = ['#FF0000', '#00FF00', '#0000FF', '#FFFF00'];

  function showChart(votes) {
    chartShownFor = shownKey;
    const bars = $('bars');
    bars.textContent = '';
    const blank = (view.question && view.question.blank) || [];
    const shown = [1, 2, 3, 4].filter((n) => !blank.includes(n));
    const total = shown.reduce((sum, n) => sum + (votes[n - 1] || 0), 0) || 1;
    const marks = [];
    for (const n of shown) {
      const share = (votes[n - 1] || 0) * 100 / total;
      const text = LETTERS[n - 1] + ' ' + share.toLocaleString('ru-RU', { maximumFractionDigits: 2 }) + ' %';
      marks.push(text);
      const column = document.createElement('div');
      column.className = 'bar';
      const label = document.createElement('span');
      label.className = 'mark';
      label.textContent = text;
      const fill = document.createElement('span');
      fill.className = 'fill';
      fill.style.height = share + '%';
      fill.style.background = BAR_COLOURS[n - 1];
      column.append(label, fill);
      bars.appendChild(column);
    }
    bars.setAttribute('aria-label', 'Мнения аудитории: ' + marks.join(', '));
    $('chart').hidden = false;
    $('chart').scrollIntoView({ block: 'nearest' });
    say('Помощь аудитории: ' + marks.join(', ') + '.');
  }

  function hideChart() {
    $('chart').hidden = true;
  }

  // ---- the friend's call --------------------------------------------------------------------

  function setCallClock(call) {
    if (call)
      callDeadline = performance.now() + call.secondsLeft * 1000;
  }

  function secondsLeft() {
    return Math.max(0, Math.ceil((callDeadline - performance.now()) / 1000));
  }

  function showCall(call) {
    const box = $('call');
    const opening = box.hidden;
    box.hidden = false;
    $('answers').classList.add('held');
    setCallClock(call);
    const replied = call.reply !== null && call.reply !== undefined;
    $('call-prompt').textContent = replied ? '' : 'Наберите номер телефона: ' + call.number;
    $('call-prompt').hidden = replied;
    $('call-dialling').hidden = replied;
    $('call-answered').hidden = !replied;
    if (replied) {
      $('call-photo').src = '/img/dr' + call.friend;
      $('call-reply').textContent = call.reply;
    }
    $('call-display').textContent = dialled;
    drawSeconds();
    if (!callTicker)
      callTicker = setInterval(tickCall, 250);
    if (opening && !busy)
      $('call-title').focus();
  }

  function hideCall() {
    const box = $('call');
    $('answers').classList.remove('held');
    if (callTicker) {
      clearInterval(callTicker);
      callTicker = 0;
    }
    if (box.hidden)
      return;
    const hadFocus = box.contains(document.activeElement);
    box.hidden = true;
    dialled = '';
    if (hadFocus)
      $('question').focus();
  }

  let lastToldSeconds = -1;
  function drawSeconds() {
    const left = secondsLeft();
    $('call-seconds').textContent = String(left);
    // Said at a few marks, not every second: a reader would speak of nothing else.
    if (left !== lastToldSeconds && (left === 20 || left === 10 || left === 5) && !$('call-dialling').hidden)
      $('call-time').textContent = 'Осталось ' + left + ' секунд.';
    lastToldSeconds = left;
  }

  // The page counts down between the server's words, and asks the server as soon as it thinks
  // the time is out: only the server's answer closes the call.
  function tickCall() {
    drawSeconds();
    if (secondsLeft() <= 0)
      refresh();
  }

  function inCall() {
    return view && view.state === 'call' && !$('call').hidden;
  }

  function dialKey(key) {
    if (!inCall() || busy)
      return;
    if (key === '*' || key === '#' || key === 'Escape')
      dialled = '';
    else if (key === 'Backspace')
      dialled = dialled.slice(0, -1);
    else if (/^[0-9]$/.test(key))
      dialled += key;
    else
      return;
    $('call-display').textContent = dialled;
    if (view.call && !view.call.reply && dialled === view.call.number)
      dial();
  }

  function dial() {
    sequence(async () => {
      const event = await act('dial', { digits: dialled });
      if (!event || !event.matched)
        return;
      clip(event.clip || 'ringon');
      render();
      if (view.call && view.call.reply)
        say(view.call.reply.replace(/\s+/g, ' '));
    });
  }

  function hangUp() {
    if (!inCall())
      return;
    sequence(async () => {
      const event = await act('hangup');
      if (!event)
        return;
      clip(event.clip || 'ringoff');
      render();
    });
  }

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
      const join = randomHex(16);
      const reply = await post('/api/join', { lesson, name, join });
      token = reply.token;
      store.set(TOKEN_KEY, token);
      view = reply.game;
      shownKey = '';
      showPlay();
      drawLadder(view.level, false);
      showQuestionArea(false);
      setBusy(true);
      await clipToEnd('gong', false);
      setBusy(false);
      render();
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

  function setSound(on) {
    soundOn = on;
    store.set(SOUND_KEY, on ? '1' : '0');
    $('sound').setAttribute('aria-pressed', on ? 'true' : 'false');
  }

  function setLarge(on) {
    document.documentElement.classList.toggle('large', on);
    store.set(LARGE_KEY, on ? '1' : '0');
    $('large').setAttribute('aria-pressed', on ? 'true' : 'false');
  }

  $('sound').addEventListener('click', () => {
    // The click is heard when the sound goes off, and not when it comes on, as on the desktop.
    if (soundOn) {
      clip('btnclick');
      setSound(false);
    } else {
      setSound(true);
    }
  });
  $('large').addEventListener('click', () => setLarge(!document.documentElement.classList.contains('large')));

  $('join-form').addEventListener('submit', (e) => {
    e.preventDefault();
    join($('lesson').value, $('name').value);
  });
  $('again').addEventListener('click', () => forget(''));

  answerButtons().forEach((button) => button.addEventListener('click', () => answer(Number(button.dataset.n))));
  $('fifty').addEventListener('click', fifty);
  $('audience').addEventListener('click', audience);
  $('friend').addEventListener('click', phoneFriend);
  $('stop').addEventListener('click', stop);
  $('hangup').addEventListener('click', hangUp);
  for (const key of document.querySelectorAll('#keypad button'))
    key.addEventListener('click', () => dialKey(key.dataset.key));

  document.addEventListener('keydown', (e) => {
    if (e.altKey || e.ctrlKey || e.metaKey || !view)
      return;
    const target = e.target;
    if (target && (target.tagName === 'INPUT' || target.tagName === 'TEXTAREA'))
      return;
    if (inCall()) {
      if (e.key === 'Enter') {
        // Enter hangs up wherever the focus is, as in the call window; a key's own Enter would
        // otherwise dial its digit and hang up at once.
        e.preventDefault();
        hangUp();
      } else if (/^[0-9*#]$/.test(e.key) || e.key === 'Escape' || e.key === 'Backspace') {
        e.preventDefault();
        dialKey(e.key);
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
    if (!token || !view || view.state === 'finished')
      return;
    const what = document.visibilityState === 'hidden' ? 'hidden' : 'visible';
    post('/api/act', { token, step: view.step, do: what }).catch(() => { /* a late report is only a report */ });
    if (what === 'visible' && !busy)
      refresh();
  });
  window.addEventListener('pageshow', (e) => {
    if (e.persisted)
      refresh();
  });

  setInterval(() => {
    if (token && view && view.state !== 'finished')
      refresh();
  }, HEARTBEAT_MS);

  setSound(soundOn);
  setLarge(store.get(LARGE_KEY) === '1');
  const wide = window.matchMedia('(min-width: 900px)');
  const openLadder = () => { $('ladder-box').open = wide.matches; };
  openLadder();
  if (wide.addEventListener)
    wide.addEventListener('change', openLadder);

  if (token) {
    // A reload or a phone waking up: the server says where the game stands.
    $('join').hidden = true;
    refresh();
  } else
    showJoin('');
})();

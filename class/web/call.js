// Two lifelines that stay on screen while the question waits: the audience's chart and the
// friend's call with its keypad and its countdown. Owns the digits dialled, the call's clock and
// which question the chart was last shown for (chartShownFor, read by the drawing in view.js).
'use strict';
(() => {
  const T = window.Tallory;
  const { $ } = T;

  T.chartShownFor = '';
  let dialled = '';
  let callDeadline = 0;  // when the server's clock ends the call, seen through this page's clock
  let callTicker = 0;

  function audience() {
    if (!T.asking() || T.used('audience'))
      return;
    T.sequence(async () => {
      const event = await T.act('audience');
      if (!event)
        return;
      T.render();
      showChart(event.votes);
      T.clip(event.clip || 'zal');
      T.restartPhase(10);
    });
  }

  function phoneFriend() {
    if (!T.asking() || T.used('friend'))
      return;
    T.sequence(async () => {
      hideChart();
      T.clip('btnclick');
      const event = await T.act('friend');
      if (!event)
        return;
      dialled = '';
      T.render();
      if (T.view.call)
        T.say('Звонок другу. Наберите номер телефона: ' + T.view.call.number.split('').join(' ') + '. У вас ' + T.view.call.secondsLeft + ' секунд.', true);
      $('call-title').focus();
    });
  }

  // ---- the audience's chart -----------------------------------------------------------------

  const BAR_COLOURS = ['#FF0000', '#00FF00', '#0000FF', '#FFFF00'];

  function showChart(votes) {
    T.chartShownFor = T.shownKey;
    const bars = $('bars');
    bars.textContent = '';
    const blank = (T.view.question && T.view.question.blank) || [];
    const shown = [1, 2, 3, 4].filter((n) => !blank.includes(n));
    const total = shown.reduce((sum, n) => sum + (votes[n - 1] || 0), 0) || 1;
    const marks = [];
    for (const n of shown) {
      const share = (votes[n - 1] || 0) * 100 / total;
      const text = T.LETTERS[n - 1] + ' ' + share.toLocaleString('ru-RU', { maximumFractionDigits: 2 }) + ' %';
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
    T.say('Помощь аудитории: ' + marks.join(', ') + '.');
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
    if (opening && !T.busy)
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
      T.refresh();
  }

  function inCall() {
    return T.view && T.view.state === 'call' && !$('call').hidden;
  }

  function dialKey(key) {
    if (!inCall() || T.busy)
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
    if (T.view.call && !T.view.call.reply && dialled === T.view.call.number)
      dial();
  }

  function dial() {
    T.sequence(async () => {
      const event = await T.act('dial', { digits: dialled });
      if (!event || !event.matched)
        return;
      T.clip(event.clip || 'ringon');
      T.render();
      if (T.view.call && T.view.call.reply)
        T.say(T.view.call.reply.replace(/\s+/g, ' '));
    });
  }

  function hangUp() {
    if (!inCall())
      return;
    T.sequence(async () => {
      const event = await T.act('hangup');
      if (!event)
        return;
      T.clip(event.clip || 'ringoff');
      T.render();
    });
  }

  Object.assign(T, {
    audience, phoneFriend, showChart, hideChart, setCallClock, showCall, hideCall, inCall, dialKey,
    hangUp
  });
})();

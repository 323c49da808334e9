// What the page shows and what a reader hears: the ladder, the question and its answers, the
// end's board, and the live region. Owns which question is on screen (shownKey), so a redraw of
// the same question is told from a new one; it draws from the view the server gave (net.js).
'use strict';
(() => {
  const T = window.Tallory;
  const { $ } = T;

  const POINTS = [0, 100, 200, 300, 500, 1000, 2000, 4000, 8000, 16000, 32000, 64000, 125000, 250000, 500000, 1000000];
  T.LETTERS = ['A', 'B', 'C', 'D'];
  T.shownKey = '';       // which question is on screen, to tell a new one from a redraw

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
    return !!(T.view && T.view.lifelines && T.view.lifelines[name]);
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
    const points = T.view ? T.view.points : 0;
    $('ladder-summary').textContent = finished
      ? 'Лестница вопросов'
      : 'Вопрос ' + level + ' из 15 на ' + POINTS[level].toLocaleString('ru-RU') + ' очков · у вас ' + points.toLocaleString('ru-RU');
  }

  function showPlay() {
    $('join').hidden = true;
    $('play').hidden = false;
    $('who').textContent = T.view.lesson + ' · ' + T.view.name;
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
    if (!T.view) {
      showJoin('');
      return;
    }
    showPlay();
    $('banner').hidden = true;
    if (T.view.state === 'finished') {
      T.hideCall();
      T.hideChart();
      drawLadder(T.view.level, true);
      showEnd(T.view.end);
      return;
    }
    $('end').hidden = true;
    $('board').hidden = true;
    showQuestionArea(true);
    drawLadder(T.view.level, false);
    const q = T.view.question || { text: '', answers: ['', '', '', ''], blank: [] };
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
        button.setAttribute('aria-label', T.LETTERS[i] + '. ответ убран');
        button.disabled = true;
      } else {
        button.textContent = T.LETTERS[i] + '. ' + q.answers[i];
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
    const asking = T.view.state === 'question' && !q.answered;
    for (const name of ['fifty', 'audience', 'friend']) {
      $(name).disabled = !asking || used(name);
      $(name).classList.toggle('used', used(name));
    }
    $('stop').disabled = !asking || !T.view.mayStop;

    const key = T.view.level + '|' + q.text;
    if (key !== T.shownKey) {
      T.shownKey = key;
      T.hideChart();
      const captions = answerButtons().map((b) => sentence(b.textContent || b.getAttribute('aria-label'))).join(' ');
      say('Вопрос ' + T.view.level + ' на ' + POINTS[T.view.level] + ' очков. ' + sentence(q.text) + ' ' + captions, true);
      T.startMusic(T.view.music, T.view.level);
      // The answer pressed went with the old question: the focus rests on the new one, where
      // Tab goes on to its answers, rather than falling back to the top of the page.
      if (!document.activeElement || document.activeElement === document.body)
        $('question').focus({ preventScroll: true });
    }
    if (T.view.votes && T.chartShownFor !== key)
      T.showChart(T.view.votes);
    if (T.view.state === 'call' && T.view.call)
      T.showCall(T.view.call);
    else
      T.hideCall();
  }

  // The grade line, or what kept the game from a grade (a bank that failed, a record not written).
  function gradeLine(end) {
    if (end && end.gradeText)
      return 'Оценка: ' + end.gradeText;
    return (end && end.message) || 'Игра окончена без оценки.';
  }

  function showEnd(end) {
    T.stopMusic();
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

  Object.assign(T, {
    say, sentence, answerButtons, caption, used, showJoin, drawLadder, showPlay, showQuestionArea,
    board, render, gradeLine, showEnd
  });
})();

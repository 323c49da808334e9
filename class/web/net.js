// The page's talk with the class server. This file opens the namespace the page's files share
// (window.Tallory) and owns what the server said last: the player's token and the game's view,
// read and replaced by the other files through it. Requests are retried here while the network
// is away, with the notice that says so, so that nothing else has to know about lost answers.
'use strict';
window.Tallory = {};
(() => {
  const T = window.Tallory;
  const $ = (id) => document.getElementById(id);
  const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

  const OFFLINE_AFTER_MS = 10000;

  // The browser may refuse storage (a private window): the game goes on, it only forgets more.
  const store = {
    get(key) { try { return localStorage.getItem(key); } catch (e) { return null; } },
    set(key, value) { try { localStorage.setItem(key, value); } catch (e) { /* kept in memory only */ } },
    drop(key) { try { localStorage.removeItem(key); } catch (e) { /* nothing kept */ } },
  };
  const TOKEN_KEY = 'tallory.token';

  Object.assign(T, { $, sleep, store, TOKEN_KEY });
  T.token = store.get(TOKEN_KEY);
  T.view = null;         // the game as the server last described it

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
    if (T.view && game.step < T.view.step)
      return false;
    T.view = game;
    return true;
  }

  function forget(message) {
    T.token = null;
    store.drop(TOKEN_KEY);
    T.view = null;
    T.setBusy(false);
    T.stopMusic();
    T.showJoin(message);
  }

  async function act(what, extra) {
    const body = Object.assign({ token: T.token, step: T.view.step, do: what }, extra || {});
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
          T.view = e.body.game;
        T.say(e.message);
        T.render();
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
    if (!T.token)
      return;
    try {
      const reply = await post('/api/game', { token: T.token });
      const wasPlaying = T.view && T.view.state !== 'finished' && !$('play').hidden;
      if (adopt(reply.game) && !T.busy) {
        // The teacher ended the game: it ends on the page as a stop does, with its board.
        if (wasPlaying && T.view.state === 'finished')
          T.sequence(async () => {
            if (T.view.end && T.view.end.how === 'teacher')
              T.say('Учитель завершил игру.');
            await T.clipToEnd(T.endClips(T.view.end)[0], false);
            await T.finish(T.view.end);
          });
        else
          T.render();
      }
      else if (reply.game && T.view && reply.game.step === T.view.step && T.view.state === 'call')
        T.setCallClock(T.view.call);
    } catch (e) {
      if (e instanceof Refusal && e.status === 404)
        forget(e.message);
    }
  }

  Object.assign(T, { randomHex, post, forget, act, refresh });
})();

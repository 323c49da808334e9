// The clips and the question's music. Kept apart because the music keeps its own clock (the
// phase that starts it again) and only this file touches the Audio elements and the sound switch.
'use strict';
(() => {
  const T = window.Tallory;
  const { $, sleep, store } = T;

  const SOUND_KEY = 'tallory.sound';
  let soundOn = store.get(SOUND_KEY) !== '0';

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

  // After a tease the music stays silent until its next phase; after the audience's chart its
  // phase is 10 seconds, counted from now.
  function holdMusic(name) {
    music = name;
  }

  function restartPhase(seconds) {
    musicTicks = 0;
    phaseLength = seconds;
  }

  function stopMusic() {
    music = '';
    stopClip();
  }

  setInterval(() => {
    if (!music || T.busy)
      return;
    musicTicks += 1;
    if (musicTicks >= phaseLength) {
      musicTicks = 0;
      T.hideChart();
      clip(music);
    }
  }, 1000);

  function setSound(on) {
    soundOn = on;
    store.set(SOUND_KEY, on ? '1' : '0');
    $('sound').setAttribute('aria-pressed', on ? 'true' : 'false');
  }

  Object.assign(T, {
    clip, clipToEnd, startMusic, stopMusic, setSound, soundIsOn: () => soundOn, holdMusic,
    restartPhase
  });
})();

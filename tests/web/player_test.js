// The page as a player, in one browser engine, served from a private static server.
//   node player_test.js ENGINE moments SITE SHOW_FRAMES [SEED]  a link to a moment and a
//                                       seek show the frame of the 60 fps frame loop there,
//                                       the music starts there and the clock follows it
//   node player_test.js ENGINE pause SITE   Space holds the clock, the music and the
//                                       picture; the link offered is the moment shown
//   node player_test.js ENGINE phone SITE   a phone's screen, upright and sideways, started
//                                       by a tap
// ENGINE is chromium, firefox or webkit.
'use strict';

const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { runCase, sleep } = require('../../support/web/browsers.js');
const { followsTheMusic, frameSeconds, heardMusic } = require('./heard_music.js');

const ticksPerSecond = 22050;
const frameTick = (k) => Math.floor((k * ticksPerSecond) / 60);

// A page of its own, with the music it plays noted, waiting on its start screen.
async function openPlayer(browser, server, hash, screen) {
  const page = await browser.open(server.url('index.html', heardMusic(browser.engine)) + (hash || ''), screen);
  await page.waitFor(() => window.textshow && window.textshow.state().phase === 'waiting');
  return page;
}

async function assertNoProblems(page, server) {
  assert.deepEqual([...(await page.problems()), ...server.failed()], [],
    'no console error, page error or failed request');
}

// The page's state with its first picture as hex, the music context's state and time,
// and the link the page offers.
async function sample(page) {
  return page.evaluate(() => {
    const state = window.textshow.state();
    const context = window.__heard.context;
    const hex = (bytes) => (bytes ? Array.from(bytes, (b) => b.toString(16).padStart(2, '0')).join('') : null);
    return {
      ...state,
      firstFrame: hex(state.firstFrame),
      tickSeconds: state.tick / 22050,
      contextSeconds: context ? context.currentTime : null,
      contextState: context ? context.state : null,
      link: document.getElementById('link').value,
    };
  });
}

async function canvasDigest(page) {
  return page.evaluate(async () => {
    const canvas = document.getElementById('screen');
    const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', pixels));
    return Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join('');
  });
}

// The soundtrack as the browser's own decoder gives it, mono, at `from` and `count` samples,
// handed back as one string.
async function decodedMusic(page, from, count, rate) {
  const text = await page.evaluate(async (start, length, sampleRate) => {
    const bytes = await (await fetch('soundtrack.avi.txt')).arrayBuffer();
    const decoded = await new OfflineAudioContext(1, 1, sampleRate).decodeAudioData(bytes);
    const out = new Array(length).fill(0);
    for (let c = 0; c < decoded.numberOfChannels; c += 1) {
      const channel = decoded.getChannelData(c);
      for (let i = 0; i < length; i += 1) {
        out[i] += channel[start + i] / decoded.numberOfChannels;
      }
    }
    return out.join(',');
  }, from, count, rate);
  return text.split(',').map(Number);
}

// A small generator of its own, so that a seed printed by a failed run gives its moments again.
function randomFrom(seed) {
  let state = seed >>> 0 || 1;
  return () => {
    state ^= state << 13;
    state >>>= 0;
    state ^= state >>> 17;
    state ^= state << 5;
    state >>>= 0;
    return state / 4294967296;
  };
}

// The frames show-frames renders for the 60 fps frame loop from the start to frame `last`.
function loopFrames(showFrames, last) {
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'textshow-player-'));
  const ticksFile = path.join(out, 'ticks.txt');
  const ticks = Array.from({ length: last + 1 }, (_, k) => frameTick(k));
  fs.writeFileSync(ticksFile, ticks.join('\n') + '\n');
  execFileSync(showFrames, ['--ticks-file', ticksFile, '--out', out], { cwd: path.dirname(showFrames), stdio: 'ignore' });
  return {
    frame: (k) => fs.readFileSync(path.join(out, `frame-${String(k).padStart(5, '0')}.bin`)).toString('hex'),
    remove: () => fs.rmSync(out, { recursive: true, force: true }),
  };
}

// Where the music first scheduled matches the soundtrack best, in samples from `at`.
function musicOffset(first, decoded, reach) {
  let best = { lag: 0, error: Infinity };
  for (let lag = -reach; lag <= reach; lag += 1) {
    let error = 0;
    for (let i = 0; i < 2048; i += 1) {
      error += Math.abs(first[i] - decoded[reach + lag + i]);
    }
    if (error < best.error) {
      best = { lag, error };
    }
  }
  return { lag: best.lag, meanError: best.error / 2048 };
}

// The first music a run schedules is the soundtrack at the run's moment, within a
// millisecond, as the browser's own decoder gives it.
async function checkMusic(page, musicStart, what) {
  await page.waitFor(() => window.__heard.first !== null);
  const first = await page.evaluate(() => ({ samples: window.__heard.first.join(','), rate: window.__heard.rate }));
  const samples = first.samples.split(',').map(Number);
  const reach = 200;
  const at = Math.round(musicStart * first.rate);
  const decoded = await decodedMusic(page, at - reach, 2048 + 2 * reach, first.rate);
  const match = musicOffset(samples, decoded, reach);
  assert.ok(Math.abs(match.lag) <= first.rate / 1000 && match.meanError < 0.01,
    `${what}: the music starts at the moment (best match ${match.lag} samples off, error ${match.meanError.toFixed(4)})`);
}

// Once the music plays: the clock follows the heard music within a frame. An output may
// take a while to play after its context resumes; the context's time says when.
async function checkClock(page, musicStart, what) {
  await page.waitFor(() => window.__heard.context.state === 'running', [], 10000);
  const at = await page.evaluate(() => window.__heard.context.currentTime);
  await page.waitFor((from) => window.__heard.context.currentTime > from + 0.3, [at], 10000);
  return followsTheMusic(page, 8, 120, what, { from: musicStart });
}

async function momentsCase(browser, server, showFrames, seed) {
  const random = randomFrom(seed);
  // One moment in each part of the show; the seek from the first lands in the fire, which
  // draws random numbers every frame, so that one frame too many or too few shows.
  const moments = [[1, 4], [4, 40], [40, 69]].map(([from, to]) => Math.round((from + random() * (to - from)) * 1000) / 1000);
  console.log(`seed ${seed}: moments ${moments.join(', ')} s`);
  const expected = loopFrames(showFrames, Math.ceil((Math.max(...moments) + 12) * 60));
  try {
    for (const [i, moment] of moments.entries()) {
      // One link in minutes and seconds, the others in seconds.
      const minutes = Math.floor(moment / 60);
      const link = i === 1 ? `${minutes}:${(moment - minutes * 60).toFixed(3).padStart(6, '0')}` : `${moment}`;
      const page = await openPlayer(browser, server, `#t=${link}`);
      await page.press('Enter');
      await page.waitFor(() => window.textshow.state().firstFrame !== null);
      const opened = await sample(page);
      const frame = Math.floor(moment * 60 + 1e-6);
      assert.equal(opened.startFrame, frame, `#t=${link} opens at frame ${frame} of the 60 fps loop`);
      assert.ok(opened.firstFrame === expected.frame(frame), `#t=${link}: the first picture is show-frames' frame ${frame}`);
      const musicStart = frameTick(frame) / ticksPerSecond;
      await checkMusic(page, musicStart, `#t=${link}`);
      await checkClock(page, musicStart, `#t=${link}`);
      console.log(`#t=${link} from frame ${opened.fromFrame}: first picture ${opened.firstPictureMs.toFixed(0)} ms after the key`);

      // Five seconds on, asked for while paused: the run starts again at the frame of the
      // new moment, still paused, and plays on from there. The page renders the frame loop
      // ahead while it has time, keeping where it stood every few seconds; the seek starts
      // from the latest of those before its moment.
      await page.press(' ');
      await page.waitFor(() => window.textshow.state().paused);
      const before = await sample(page);
      await page.waitFor((at) => window.textshow.state().aheadFrames > (at + 6) * 60, [before.tickSeconds], 60000);
      // Every run plays through the same context: the music noted so far is the last run's.
      await page.evaluate(() => {
        Object.assign(window.__heard, { blocks: [], first: null });
      });
      await page.press('ArrowRight');
      await page.waitFor((old) => window.textshow.state().startFrame !== old && window.textshow.state().firstFrame !== null, [frame]);
      const sought = await sample(page);
      const target = (before.tickSeconds + 5) * 60;
      assert.ok(sought.startFrame >= target - 1 && sought.startFrame <= target + 1,
        `→ moves 5 s on: frame ${sought.startFrame}, from ${before.tickSeconds.toFixed(3)} s`);
      assert.ok(sought.paused, 'a seek while paused stays paused');
      assert.ok(sought.fromFrame > 0, 'the seek starts from a frame the page rendered ahead');
      assert.ok(sought.firstFrame === expected.frame(sought.startFrame),
        `after →, the first picture is show-frames' frame ${sought.startFrame}, rendered on from frame ${sought.fromFrame}`);
      console.log(`→ to frame ${sought.startFrame} from ${sought.fromFrame}: first picture ${sought.firstPictureMs.toFixed(0)} ms after the key`);
      await page.press(' ');
      const soughtStart = frameTick(sought.startFrame) / ticksPerSecond;
      await checkMusic(page, soughtStart, `after → to frame ${sought.startFrame}`);
      await checkClock(page, soughtStart, `after → to frame ${sought.startFrame}`);
      if (i === moments.length - 1) {
        await page.press('Home');
        await page.waitFor(() => window.textshow.state().startFrame === 0 && window.textshow.state().firstFrame !== null);
        assert.ok((await sample(page)).firstFrame === expected.frame(0), 'Home starts again at the first frame');
      }
      await assertNoProblems(page, server);
      await page.close();
    }
  } finally {
    expected.remove();
  }
}

// Paused in the fire, whose every frame draws random numbers: a frame loop that went on
// at the held tick would still change the picture.
async function pauseCase(browser, server) {
  const page = await openPlayer(browser, server, '#t=7');
  await page.press('Enter');
  await page.waitFor(() => window.textshow.state().tick > 8 * 22050);
  await page.press(' ');
  const held = await sample(page);
  const picture = await canvasDigest(page);
  // The context goes on for a moment before its suspension takes hold; the clock does not.
  await page.waitFor(() => window.__heard.context.state === 'suspended', [], 5000);
  const stopped = await sample(page);
  await sleep(2000);
  const after = await sample(page);
  assert.ok(held.paused && after.paused, 'Space pauses');
  assert.equal(after.contextState, 'suspended', 'the music is suspended');
  assert.ok(Math.abs(after.tickSeconds - held.tickSeconds) <= frameSeconds,
    `the clock holds for 2 s: ${held.tickSeconds.toFixed(3)} s, then ${after.tickSeconds.toFixed(3)} s`);
  assert.ok(Math.abs(after.contextSeconds - stopped.contextSeconds) <= frameSeconds, 'the music heard holds');
  assert.equal(await canvasDigest(page), picture, 'the picture holds');
  const linked = Number(/#t=([\d.]+)$/.exec(after.link)[1]);
  assert.ok(Math.abs(linked - after.tickSeconds) < 0.011, `the link offered is the moment shown: ${after.link}`);

  await page.press(' ');
  await page.waitFor((from) => window.textshow.state().tick > (from + 0.5) * 22050, [held.tickSeconds]);
  const resumed = await sample(page);
  assert.ok(!resumed.paused, 'Space resumes');
  assert.notEqual(await canvasDigest(page), picture, 'the picture goes on');
  assert.ok(resumed.tickSeconds - held.tickSeconds < 1.5, 'it goes on from where it was held, skipping nothing');
  await checkClock(page, 7, 'after resuming');
  await assertNoProblems(page, server);
  await page.close();
}

// The canvas's box, and the room the page was given: on an emulated phone no wider than
// the screen (a page wider than a phone's screen would make its browser lay the page out
// wider and zoom it out, which the page's own measures would not show); in a window, the
// window's inside, which may be larger than asked for (MiniBrowser's window is at least
// 447 CSS pixels wide).
async function canvasBox(page, screen, phone) {
  const box = await page.evaluate(() => {
    const { left, top, right, bottom, width, height } = document.getElementById('screen').getBoundingClientRect();
    return { left, top, right, bottom, width, height, innerWidth: window.innerWidth, innerHeight: window.innerHeight };
  });
  const room = phone
    ? { width: Math.min(screen.width, box.innerWidth), height: Math.min(screen.height, box.innerHeight) }
    : { width: box.innerWidth, height: box.innerHeight };
  return { box, room };
}

function assertFits({ box, room }, what) {
  console.log(`${what}: picture ${box.width.toFixed(1)} × ${box.height.toFixed(1)} in ${room.width} × ${room.height}`);
  assert.ok(box.left >= 0 && box.top >= 0 && box.right <= room.width + 0.01 && box.bottom <= room.height + 0.01,
    `${what}: the picture lies inside the screen (${JSON.stringify(box)})`);
  assert.ok(Math.abs(box.width / box.height - 1.6) < 0.01, `${what}: the picture keeps its shape`);
}

// A phone's screen, 390 × 844 CSS pixels at 3 device pixels each, touch only. WebKitGTK's
// driver sizes only the window, at one device pixel per CSS pixel, and has no touch: there
// the fit is checked at the same CSS size and a click starts the show.
async function phoneCase(browser, server, shots) {
  const { scale, touch } = browser.emulates;
  const upright = { width: 390, height: 844, ...(scale ? { deviceScaleFactor: 3 } : {}), ...(touch ? { isMobile: true, hasTouch: true } : {}) };
  if (!scale || !touch) {
    console.log(`${browser.engine}: not emulated here: ${[!scale && 'device pixels', !touch && 'touch'].filter(Boolean).join(', ')}`);
  }
  const page = await openPlayer(browser, server, '', upright);
  let measured = await canvasBox(page, upright, touch);
  assertFits(measured, 'upright');
  assert.ok(measured.box.width >= 0.95 * measured.room.width,
    `upright: the picture spans the width (${measured.box.width} of ${measured.room.width})`);
  if (scale) {
    assert.equal(await page.evaluate(() => window.devicePixelRatio), 3, 'three device pixels per CSS pixel');
  }
  await (touch ? page.tap(195, 300) : page.click(195, 300));
  await page.waitFor(() => window.textshow.state().tick > 22050);
  const s = await sample(page);
  assert.equal(s.phase, 'playing', `a ${touch ? 'tap' : 'click'} starts the show`);
  assert.equal(s.contextState, 'running', `a ${touch ? 'tap' : 'click'} starts the music`);
  if (shots && page.raw) {
    await page.raw.screenshot({ path: path.join(shots, `phone-upright-${browser.engine}.png`) });
  }
  const sideways = { ...upright, width: 844, height: 390 };
  await page.resize(sideways);
  // The page lays itself out again with the browser's next frame after the turn.
  // A window resized by its driver may take a moment longer to report its new size.
  await page.waitFor(() => {
    const box = document.getElementById('screen').getBoundingClientRect();
    return window.innerWidth > window.innerHeight && box.bottom <= window.innerHeight + 0.01;
  }, [], 2000).catch(() => {});
  measured = await canvasBox(page, sideways, touch);
  assertFits(measured, 'sideways');
  assert.ok(measured.box.height >= 0.95 * measured.room.height,
    `sideways: the picture fills the height (${measured.box.height} of ${measured.room.height})`);
  if (shots && page.raw) {
    await page.raw.screenshot({ path: path.join(shots, `phone-sideways-${browser.engine}.png`) });
  }
  await assertNoProblems(page, server);
  await page.close();
}

const [engine, which, site, showFrames, seedText] = process.argv.slice(2);
runCase({
  engine,
  which,
  site,
  sound: () => true,
  cases: {
    moments: (browser, server) => {
      const seed = seedText ? Number(seedText) : crypto.randomInt(1, 2 ** 31);
      return momentsCase(browser, server, path.resolve(showFrames), seed);
    },
    pause: pauseCase,
    phone: (browser, server) => phoneCase(browser, server, process.env.TEXTSHOW_SCREENSHOTS),
  },
});

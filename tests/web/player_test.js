// The page as a player, in Debian's headless Chromium driven by puppeteer-core, served
// from a local static server.
//   node player_test.js moments SITE SHOW_FRAMES [SEED]  a link to a moment and a seek
//                                       show the frame of the 60 fps frame loop there, the
//                                       music starts there and the clock follows it
//   node player_test.js pause SITE      Space holds the clock, the music and the picture;
//                                       the link offered is the moment shown
//   node player_test.js phone SITE      a phone's screen, upright and sideways, started by a tap
// The browser is driven through the few functions under "Driving the page", so that the
// same cases can run in another engine by replacing them.
'use strict';

const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const ticksPerSecond = 22050;
const frameSeconds = 1 / 60;
const frameTick = (k) => Math.floor((k * ticksPerSecond) / 60);

function serve(root) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  const server = http.createServer((request, response) => {
    const file = path.join(root, path.normalize(decodeURIComponent(request.url.split('?')[0])));
    fs.readFile(file, (error, body) => {
      if (error || !file.startsWith(root)) {
        response.writeHead(404);
        response.end();
        return;
      }
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      response.end(body);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// What the page plays is noted as it is scheduled: each context's blocks of music (when
// they start and how long they are) and the first samples of the first one.
const noteMusic = `(() => {
  window.__music = { context: null, blocks: [], first: null };
  const realStart = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (when, ...rest) {
    const music = window.__music;
    if (music.context !== this.context) {
      Object.assign(music, { context: this.context, blocks: [], first: null });
    }
    if (music.first === null) {
      music.first = Array.from(this.buffer.getChannelData(0).subarray(0, 4096));
      music.rate = this.buffer.sampleRate;
    }
    music.blocks.push({ when, seconds: this.buffer.duration });
    return realStart.call(this, when, ...rest);
  };
})();`;

// ---- Driving the page -------------------------------------------------------------------

async function launchBrowser() {
  return puppeteer.launch({
    browser: 'chrome',
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'],
  });
}

// A page of its own, waiting on its start screen, with every error it reports noted.
async function openPlayer(browser, url, viewport) {
  const page = await browser.newPage();
  const problems = [];
  page.on('console', (message) => message.type() === 'error' && problems.push(message.text()));
  page.on('pageerror', (error) => problems.push(error.message));
  await page.setViewport(viewport || { width: 1280, height: 800 });
  await page.evaluateOnNewDocument(noteMusic);
  await page.goto(url);
  await waitFor(page, () => window.textshow && window.textshow.state().phase === 'waiting');
  return { page, problems };
}

// Polls the page until `predicate` holds, or fails after `ms`.
async function waitFor(page, predicate, arg, ms = 20000) {
  const until = Date.now() + ms;
  while (!(await page.evaluate(predicate, arg))) {
    if (Date.now() > until) {
      throw new Error(`timed out waiting for ${predicate}`);
    }
    await new Promise((resolve) => setTimeout(resolve, 25));
  }
}

async function pressKey(page, key) {
  await page.keyboard.press(key);
}

async function tap(page, x, y) {
  await page.touchscreen.tap(x, y);
}

async function setScreen(page, viewport) {
  await page.setViewport(viewport);
}

// The page's state, its first picture as hex, and the show clock against the music heard
// now: the heard position worked out from the blocks as the context scheduled them and
// its own report of the moment heard, counted from `musicStart` seconds.
async function sample(page, musicStart) {
  return page.evaluate((from) => {
    const state = window.textshow.state();
    const music = window.__music;
    let heard = null;
    let contextSeconds = null;
    if (music.context) {
      const stamp = music.context.getOutputTimestamp();
      const running = music.context.state === 'running';
      const at = stamp.contextTime + (running ? (performance.now() - stamp.performanceTime) / 1000 : 0);
      heard = from;
      for (const block of music.blocks) {
        heard += Math.max(0, Math.min(at - block.when, block.seconds));
      }
      contextSeconds = stamp.contextTime;
    }
    const hex = (bytes) => (bytes ? Array.from(bytes, (b) => b.toString(16).padStart(2, '0')).join('') : null);
    return {
      ...state,
      firstFrame: hex(state.firstFrame),
      tickSeconds: state.tick / 22050,
      heard,
      contextSeconds,
      contextState: music.context ? music.context.state : null,
      link: document.getElementById('link').value,
    };
  }, musicStart);
}

async function canvasDigest(page) {
  return page.evaluate(async () => {
    const canvas = document.getElementById('screen');
    const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', pixels));
    return Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join('');
  });
}

// The soundtrack as the browser's own decoder gives it, mono, at `from` and `count` samples.
async function decodedMusic(page, from, count, rate) {
  return page.evaluate(
    async (start, length, sampleRate) => {
      const bytes = await (await fetch('soundtrack.avi.txt')).arrayBuffer();
      const decoded = await new OfflineAudioContext(1, 1, sampleRate).decodeAudioData(bytes);
      const out = new Array(length).fill(0);
      for (let c = 0; c < decoded.numberOfChannels; c += 1) {
        const channel = decoded.getChannelData(c);
        for (let i = 0; i < length; i += 1) {
          out[i] += channel[start + i] / decoded.numberOfChannels;
        }
      }
      return out;
    },
    from,
    count,
    rate,
  );
}

// ---- The cases --------------------------------------------------------------------------

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
  await waitFor(page, () => window.__music.first !== null);
  const first = await page.evaluate(() => ({ samples: window.__music.first, rate: window.__music.rate }));
  const reach = 200;
  const at = Math.round(musicStart * first.rate);
  const decoded = await decodedMusic(page, at - reach, 2048 + 2 * reach, first.rate);
  const match = musicOffset(first.samples, decoded, reach);
  assert.ok(Math.abs(match.lag) <= first.rate / 1000 && match.meanError < 0.01,
    `${what}: the music starts at the moment (best match ${match.lag} samples off, error ${match.meanError.toFixed(4)})`);
}

// After the first picture of a run: the clock follows the heard music within a frame.
async function checkClock(page, musicStart, what) {
  const misses = [];
  for (let i = 0; i < 8; i += 1) {
    await new Promise((resolve) => setTimeout(resolve, 120));
    const s = await sample(page, musicStart);
    if (s.heard === null || Math.abs(s.tickSeconds - s.heard) > frameSeconds) {
      misses.push(`${s.tickSeconds.toFixed(3)} s shown, ${s.heard && s.heard.toFixed(3)} s heard`);
    }
  }
  assert.deepEqual(misses, [], `${what}: the clock follows the music heard within a frame`);
}

async function momentsCase(browser, site, showFrames, seed) {
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
      const { page, problems } = await openPlayer(browser, `${site}#t=${link}`);
      await pressKey(page, 'Enter');
      await waitFor(page, () => window.textshow.state().firstFrame !== null);
      const opened = await sample(page, 0);
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
      await pressKey(page, ' ');
      await waitFor(page, () => window.textshow.state().paused);
      const before = await sample(page, musicStart);
      await waitFor(page, (at) => window.textshow.state().aheadFrames > (at + 6) * 60, before.tickSeconds, 60000);
      await page.evaluate(() => Object.assign(window.__music, { blocks: [], first: null }));
      await pressKey(page, 'ArrowRight');
      await waitFor(page, (old) => window.textshow.state().startFrame !== old && window.textshow.state().firstFrame !== null, frame);
      const sought = await sample(page, 0);
      const target = (before.tickSeconds + 5) * 60;
      assert.ok(sought.startFrame >= target - 1 && sought.startFrame <= target + 1,
        `→ moves 5 s on: frame ${sought.startFrame}, from ${before.tickSeconds.toFixed(3)} s`);
      assert.ok(sought.paused, 'a seek while paused stays paused');
      assert.ok(sought.fromFrame > 0, 'the seek starts from a frame the page rendered ahead');
      assert.ok(sought.firstFrame === expected.frame(sought.startFrame),
        `after →, the first picture is show-frames' frame ${sought.startFrame}, rendered on from frame ${sought.fromFrame}`);
      console.log(`→ to frame ${sought.startFrame} from ${sought.fromFrame}: first picture ${sought.firstPictureMs.toFixed(0)} ms after the key`);
      await pressKey(page, ' ');
      const soughtStart = frameTick(sought.startFrame) / ticksPerSecond;
      await checkMusic(page, soughtStart, `after → to frame ${sought.startFrame}`);
      await checkClock(page, soughtStart, `after → to frame ${sought.startFrame}`);
      if (i === moments.length - 1) {
        await pressKey(page, 'Home');
        await waitFor(page, () => window.textshow.state().startFrame === 0 && window.textshow.state().firstFrame !== null);
        assert.ok((await sample(page, 0)).firstFrame === expected.frame(0), 'Home starts again at the first frame');
      }
      assert.deepEqual(problems, [], 'no errors');
      await page.close();
    }
  } finally {
    expected.remove();
  }
}

// Paused in the fire, whose every frame draws random numbers: a frame loop that went on
// at the held tick would still change the picture.
async function pauseCase(browser, site) {
  const { page, problems } = await openPlayer(browser, `${site}#t=7`);
  await pressKey(page, 'Enter');
  await waitFor(page, () => window.textshow.state().tick > 8 * 22050);
  await pressKey(page, ' ');
  const held = await sample(page, 7);
  const picture = await canvasDigest(page);
  await new Promise((resolve) => setTimeout(resolve, 2000));
  const after = await sample(page, 7);
  assert.ok(held.paused && after.paused, 'Space pauses');
  assert.equal(after.contextState, 'suspended', 'the music is suspended');
  assert.ok(Math.abs(after.tickSeconds - held.tickSeconds) <= frameSeconds,
    `the clock holds for 2 s: ${held.tickSeconds.toFixed(3)} s, then ${after.tickSeconds.toFixed(3)} s`);
  assert.ok(Math.abs(after.contextSeconds - held.contextSeconds) <= frameSeconds, 'the music heard holds');
  assert.equal(await canvasDigest(page), picture, 'the picture holds');
  const linked = Number(/#t=([\d.]+)$/.exec(after.link)[1]);
  assert.ok(Math.abs(linked - after.tickSeconds) < 0.011, `the link offered is the moment shown: ${after.link}`);

  await pressKey(page, ' ');
  await waitFor(page, (from) => window.textshow.state().tick > (from + 0.5) * 22050, held.tickSeconds);
  const resumed = await sample(page, 7);
  assert.ok(!resumed.paused, 'Space resumes');
  assert.notEqual(await canvasDigest(page), picture, 'the picture goes on');
  assert.ok(resumed.tickSeconds - held.tickSeconds < 1.5, 'it goes on from where it was held, skipping nothing');
  await checkClock(page, 7, 'after resuming');
  assert.deepEqual(problems, [], 'no errors');
  await page.close();
}

async function canvasBox(page) {
  return page.evaluate(() => {
    const box = document.getElementById('screen').getBoundingClientRect();
    return { left: box.left, top: box.top, right: box.right, bottom: box.bottom, width: box.width, height: box.height };
  });
}

// Against the screen's own size: a page wider than the screen would make a phone's browser
// lay it out wider and zoom it out, which the page's own measures would not show.
function assertFits(box, screen, what) {
  assert.ok(box.left >= 0 && box.top >= 0 && box.right <= screen.width + 0.01 && box.bottom <= screen.height + 0.01,
    `${what}: the picture lies inside the screen (${JSON.stringify(box)})`);
  assert.ok(Math.abs(box.width / box.height - 1.6) < 0.01, `${what}: the picture keeps its shape`);
}

async function phoneCase(browser, site, shots) {
  const upright = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
  const { page, problems } = await openPlayer(browser, site, upright);
  let box = await canvasBox(page);
  assertFits(box, upright, 'upright');
  assert.ok(box.width >= 0.95 * upright.width, `upright: the picture spans the width (${box.width} of ${upright.width})`);
  await tap(page, 195, 300);
  await waitFor(page, () => window.textshow.state().tick > 22050);
  const s = await sample(page, 0);
  assert.equal(s.phase, 'playing', 'a tap starts the show');
  assert.equal(s.contextState, 'running', 'a tap starts the music');
  if (shots) {
    await page.screenshot({ path: path.join(shots, 'phone-upright.png') });
  }
  const sideways = { ...upright, width: 844, height: 390 };
  await setScreen(page, sideways);
  // The page lays itself out again with the browser's next frame after the turn.
  await waitFor(page, () => document.getElementById('screen').getBoundingClientRect().height <= 390, null, 1000).catch(() => {});
  box = await canvasBox(page);
  assertFits(box, sideways, 'sideways');
  assert.ok(box.height >= 0.95 * sideways.height, `sideways: the picture fills the height (${box.height} of ${sideways.height})`);
  if (shots) {
    await page.screenshot({ path: path.join(shots, 'phone-sideways.png') });
  }
  assert.deepEqual(problems, [], 'no errors');
  await page.close();
}

async function main() {
  const [which, site, showFrames, seedText] = process.argv.slice(2);
  const root = path.resolve(site);
  const server = await serve(root);
  const url = `http://127.0.0.1:${server.address().port}/index.html`;
  const browser = await launchBrowser();
  const began = Date.now();
  try {
    if (which === 'moments') {
      const seed = seedText ? Number(seedText) : crypto.randomInt(1, 2 ** 31);
      await momentsCase(browser, url, path.resolve(showFrames), seed);
    } else if (which === 'pause') {
      await pauseCase(browser, url);
    } else if (which === 'phone') {
      await phoneCase(browser, url, process.env.TEXTSHOW_SCREENSHOTS);
    } else {
      throw new Error(`unknown case ${which}`);
    }
    console.log(`${which}: passed in ${((Date.now() - began) / 1000).toFixed(1)} s`);
  } finally {
    await browser.close();
    server.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});

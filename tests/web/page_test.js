// The web build's page in one browser engine, served from a private static server.
//   node page_test.js ENGINE frames SITE SHOW_FRAMES   the page loads cleanly; render()
//                                                      gives the frames show-frames gives
//   node page_test.js ENGINE playback SITE             on the heard music after the start
//                                                      click, hidden, suspended; Escape
//   node page_test.js ENGINE silent SITE               no sound: silent, with its line, held
//                                                      while paused
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

async function openWaiting(browser, url) {
  const page = await browser.open(url);
  await page.waitFor(() => window.textshow && window.textshow.state().phase === 'waiting');
  return page;
}

function frameLoopTicks(everyNth, seconds) {
  const ticks = [];
  for (let k = 0; k * frameSeconds <= seconds; k += everyNth) {
    ticks.push(Math.floor((k * ticksPerSecond) / 60));
  }
  return ticks;
}

function showFramesOutput(showFrames, ticks) {
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'textshow-frames-'));
  const ticksFile = path.join(out, 'ticks.txt');
  fs.writeFileSync(ticksFile, ticks.join('\n') + '\n');
  try {
    execFileSync(showFrames, ['--ticks-file', ticksFile, '--out', out], {
      cwd: path.dirname(showFrames),
      stdio: 'ignore',
    });
  } catch (ended) {
    // The last scene ends show-frames with 23, as it ends the show.
    assert.equal(ended.status, 23, `show-frames failed: ${ended.message}`);
  }
  const frames = fs.readdirSync(out).filter((name) => name.endsWith('.bin')).sort()
    .map((name) => crypto.createHash('sha256').update(fs.readFileSync(path.join(out, name))).digest('hex'));
  fs.rmSync(out, { recursive: true, force: true });
  return frames;
}

// Frames cross over from the browser as their SHA-256 digests in one string: a driver's
// transport need not carry megabytes, nor an array of a thousand arrays.
async function renderIn(page, ticks) {
  const digests = await page.evaluate(async (list) => {
    const hex = [];
    for (const frame of await window.textshow.render(list)) {
      const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', frame));
      hex.push(Array.from(digest, (byte) => byte.toString(16).padStart(2, '0')).join(''));
    }
    return hex.join(',');
  }, ticks);
  return digests ? digests.split(',') : [];
}

function assertSameFrames(rendered, expected, what) {
  assert.equal(rendered.length, expected.length, `${what}: frame count`);
  const first = expected.findIndex((digest, i) => rendered[i] !== digest);
  assert.equal(first, -1, `${what}: frame ${first} differs from show-frames`);
}

async function assertNoProblems(page, server) {
  assert.deepEqual([...(await page.problems()), ...server.failed()], [],
    'no console error, page error or failed request');
}

// Every fourth frame of the frame loop at 60 frames a second, past the show's end: the
// timeline moves on by at most one row per frame, and the sequence reaches the last scene.
async function framesCase(browser, server, showFrames) {
  const page = await openWaiting(browser, server.url('index.html'));
  const ticks = frameLoopTicks(4, 90);
  const expected = showFramesOutput(showFrames, ticks);
  assert.ok(expected.length > 1000 && expected.length < ticks.length, 'show-frames ends at the last scene');
  // A short sequence first, then the whole one: each call must start from the beginning.
  assertSameFrames(await renderIn(page, ticks.slice(0, 400)), expected.slice(0, 400), 'render of the first 400');
  assertSameFrames(await renderIn(page, ticks), expected, 'render of the whole show');
  await assertNoProblems(page, server);
  await page.close();
}

async function startByClick(page) {
  await page.click(200, 200);
  await page.waitFor(() => window.__heard.context !== null && window.textshow.state().tick > 22050, [], 20000);
  return page.evaluate(() => window.textshow.state().firstPictureMs);
}

function assertNeverBack(samples, what) {
  samples.slice(1).forEach((sample, i) =>
    assert.ok(sample.tickSeconds >= samples[i].tickSeconds, `${what}: the tick went back`));
}

async function playbackCase(browser, server, engine) {
  {
    const page = await openWaiting(browser, server.url('index.html', heardMusic(engine, 0.2)));
    const firstPictureMs = await startByClick(page);
    console.log(`${engine}: first picture ${firstPictureMs.toFixed(1)} ms after the click`);
    // A render call meanwhile must leave the running show as it is.
    await followsTheMusic(page, 20, 150, 'playing', {
      async between(i) {
        if (i === 10) {
          await page.evaluate(() => window.textshow.render([0, 367, 735]).then(() => 0));
        }
      },
    });

    // Hidden for 3 s behind another page: the music plays on, and on return the clock
    // is where the music is.
    await page.hide();
    await sleep(3000);
    await page.show();
    const hiddenMs = await page.evaluate(() => {
      const [hidden, shown] = window.__hidden.slice(-2);
      return hidden && hidden.hidden && shown && !shown.hidden ? shown.at - hidden.at : 0;
    });
    assert.ok(hiddenMs > 2500, `the page was hidden (for ${hiddenMs} ms)`);
    await followsTheMusic(page, 8, 100, 'shown again');

    // The audio suspended from outside for 2 s: the clock holds with the music, and goes
    // on with it, never back and never on by itself.
    await page.evaluate(() => window.__heard.context.suspend());
    const held = await followsTheMusic(page, 8, 250, 'suspended');
    const spread = held[held.length - 1].tickSeconds - held[0].tickSeconds;
    assert.ok(held.every((sample) => !sample.running) && spread < frameSeconds,
      `the tick holds while the audio is suspended (it moved ${(spread * 1000).toFixed(1)} ms)`);
    // Resumed, an output may take a while to play again; the context's time says when.
    const stoppedAt = await page.evaluate(() => window.__heard.context.resume().then(() => window.__heard.context.currentTime));
    await page.waitFor((at) => window.__heard.context.currentTime > at + 0.3, [stoppedAt], 10000);
    const resumed = await followsTheMusic(page, 8, 150, 'resumed');
    assert.ok(resumed[resumed.length - 1].tickSeconds > held[0].tickSeconds + 0.5, 'the show goes on');
    assertNeverBack([...held, ...resumed], 'suspended and resumed');

    await page.press('Escape');
    await page.waitFor(() => window.textshow.state().ended, [], 5000);
    assert.equal((await page.evaluate(() => window.textshow.state())).exitCode, 42, 'Escape ends with 42');
    await assertNoProblems(page, server);
    await page.close();
  }
}

// A context that never starts: resume() never settles and it stays suspended, as where
// the browser refuses to play. The page's clock runs 20 times as fast, so the show
// reaches its last scene in a few seconds.
const refusedAudioFastClock = `(() => {
  const Real = window.AudioContext;
  window.AudioContext = class extends Real {
    get state() { return 'suspended'; }
    resume() { return new Promise(() => {}); }
  };
  const realNow = performance.now.bind(performance);
  const origin = realNow();
  performance.now = () => origin + (realNow() - origin) * 20;
})();`;

async function silentLine(page) {
  await page.waitFor(() => !document.getElementById('note').hidden, [], 10000);
  return page.evaluate(() => document.getElementById('note').textContent);
}

async function silentCase(browser, server, engine) {
  {
    const page = await openWaiting(browser, server.url('index.html', refusedAudioFastClock));
    await page.click(200, 200);
    assert.match(await silentLine(page), /silent/, 'the line under the picture says the music plays silently');
    // Paused, the silent show holds too (a second here is 20 of the page's).
    await page.press(' ');
    const paused = await page.evaluate(() => window.textshow.state().tick);
    await sleep(1000);
    const still = await page.evaluate(() => window.textshow.state().tick);
    assert.ok(Math.abs(still - paused) / 22050 <= frameSeconds, `the silent show holds while paused (${paused} to ${still})`);
    await page.press(' ');
    await page.waitFor(() => window.textshow.state().ended, [], 60000);
    const state = await page.evaluate(() => window.textshow.state());
    assert.equal(state.exitCode, 23, 'the last scene ends the show with 23');
    assert.ok(state.tick / 22050 > 80, 'the silent show ran on real time to its end');
    await page.close();
  }
  // Firefox plays only where a sound server answers: without one, the show goes on in
  // silence on real time. (Chromium and WebKit play into no device as if there were one.)
  if (engine === 'firefox') {
    const page = await openWaiting(browser, server.url('index.html'));
    await page.click(200, 200);
    assert.match(await silentLine(page), /silent/, 'without a sound server the page says it plays silently');
    const before = await page.evaluate(() => [window.textshow.state().tick, performance.now()]);
    await sleep(1000);
    const after = await page.evaluate(() => [window.textshow.state().tick, performance.now()]);
    const ran = (after[0] - before[0]) / 22050 - (after[1] - before[1]) / 1000;
    assert.ok(Math.abs(ran) < 0.1, `the silent show runs on real time (off by ${ran.toFixed(3)} s)`);
    await page.close();
  }
}

const [engine, which, site, showFrames] = process.argv.slice(2);
runCase({
  engine,
  which,
  site,
  sound: (name) => name === 'playback',
  cases: {
    frames: (browser, server) => framesCase(browser, server, path.resolve(showFrames)),
    playback: (browser, server) => playbackCase(browser, server, engine),
    silent: (browser, server) => silentCase(browser, server, engine),
  },
});

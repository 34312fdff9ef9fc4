// The web build's page in Debian's headless Chromium, served from a local static server.
//   node page_test.js frames SITE SHOW_FRAMES   the page loads cleanly; render() gives the
//                                               frames show-frames gives, call after call
//   node page_test.js playback SITE             the heard clock, Escape, and a page
//                                               without sound that plays to its end
'use strict';

const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const ticksPerSecond = 22050;
const frameSeconds = 1 / 60;

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

async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'textshow-web-'));
  const browser = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--autoplay-policy=no-user-gesture-required',
    ],
  });
  return { browser, profile };
}

// A page of its own, with every console error, page error and failed request noted.
async function openPage(browser, url, initScript) {
  const page = await browser.newPage();
  const problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error') {
      problems.push(`console error: ${message.text()}`);
    }
  });
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  page.on('requestfailed', (request) => problems.push(`request failed: ${request.url()}`));
  page.on('response', (response) => {
    if (response.status() >= 400) {
      problems.push(`${response.status()}: ${response.url()}`);
    }
  });
  if (initScript) {
    await page.addInitScript(initScript);
  }
  await page.goto(url);
  await page.waitForFunction(() => window.textshow && window.textshow.state().phase === 'waiting');
  return { page, problems };
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
  return fs
    .readdirSync(out)
    .filter((name) => name.endsWith('.bin'))
    .sort()
    .map((name) => fs.readFileSync(path.join(out, name)));
}

// Frames are compared by their SHA-256, so that megabytes of frames need not cross over
// from the browser.
async function renderIn(page, ticks) {
  return page.evaluate(async (list) => {
    const rendered = await window.textshow.render(list);
    const digests = [];
    for (const frame of rendered) {
      const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', frame));
      digests.push(Array.from(digest, (byte) => byte.toString(16).padStart(2, '0')).join(''));
    }
    return digests;
  }, ticks);
}

function assertSameFrames(rendered, expected, what) {
  assert.equal(rendered.length, expected.length, `${what}: frame count`);
  for (let i = 0; i < expected.length; i += 1) {
    const digest = crypto.createHash('sha256').update(expected[i]).digest('hex');
    if (rendered[i] !== digest) {
      assert.fail(`${what}: frame ${i} differs from show-frames`);
    }
  }
}

// Every fourth frame of the frame loop at 60 frames a second, past the show's end: the
// timeline moves on by at most one row per frame, and the sequence reaches the last scene.
async function framesCase(browser, url, showFrames) {
  const { page, problems } = await openPage(browser, url);
  const ticks = frameLoopTicks(4, 90);
  const expected = showFramesOutput(showFrames, ticks);
  assert.ok(expected.length > 1000 && expected.length < ticks.length, 'show-frames ends at the last scene');
  // A short sequence first, then the whole one: each call must start from the beginning.
  const head = ticks.slice(0, 400);
  assertSameFrames(await renderIn(page, head), expected.slice(0, 400), 'render of the first 400');
  assertSameFrames(await renderIn(page, ticks), expected, 'render of the whole show');
  assert.deepEqual(problems, [], 'the page loads and renders without an error or a failed request');
}

// A sound output 200 ms late, as a wireless headset is: the context reports its output
// timestamps that much behind. The tick must follow the music heard, not what the context
// has computed. The test works the heard position out on its own from the context's
// report and the blocks of music as they were scheduled, gaps between them included.
const lateOutput = `(() => {
  const latency = 0.2;
  const Real = window.AudioContext;
  const realStamp = Real.prototype.getOutputTimestamp;
  window.__heard = { latency, context: null, blocks: [], realStamp };
  Real.prototype.getOutputTimestamp = function () {
    const stamp = realStamp.call(this);
    return { contextTime: stamp.contextTime - latency, performanceTime: stamp.performanceTime };
  };
  const realStart = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (when, ...rest) {
    if (window.__heard.context !== this.context) {
      window.__heard = { ...window.__heard, context: this.context, blocks: [] };
    }
    window.__heard.blocks.push({ when, seconds: this.buffer.duration });
    return realStart.call(this, when, ...rest);
  };
})();`;

// A context that never starts: resume() never settles and it stays suspended, as where
// the browser refuses to play or there is no output. The page's clock runs 20 times as
// fast, so the show reaches its last scene in a few seconds.
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

async function sampleClock(page) {
  return page.evaluate(() => {
    const heard = window.__heard;
    const stamp = heard.realStamp.call(heard.context);
    const state = window.textshow.state();
    const at = stamp.contextTime - heard.latency + (performance.now() - stamp.performanceTime) / 1000;
    let heardSeconds = 0;
    for (const block of heard.blocks) {
      heardSeconds += Math.max(0, Math.min(at - block.when, block.seconds));
    }
    return { tickSeconds: state.tick / 22050, heardSeconds, phase: state.phase };
  });
}

async function playbackCase(browser, url) {
  {
    const { page, problems } = await openPage(browser, url, lateOutput);
    await page.evaluate(() => window.textshow.start());
    await page.waitForFunction(() => window.__heard.context !== null && window.textshow.state().tick > 22050);
    const misses = [];
    for (let i = 0; i < 30; i += 1) {
      if (i === 10) {
        // A render call meanwhile must leave the running show as it is.
        await page.evaluate(() => window.textshow.render([0, 367, 735]));
      }
      const sample = await sampleClock(page);
      assert.equal(sample.phase, 'playing');
      const off = sample.tickSeconds - sample.heardSeconds;
      if (Math.abs(off) > frameSeconds) {
        misses.push(`${(off * 1000).toFixed(1)} ms at ${sample.heardSeconds.toFixed(2)} s`);
      }
      await page.waitForTimeout(150);
    }
    assert.deepEqual(misses, [], 'the tick follows the heard music within a frame');
    assert.ok((await sampleClock(page)).tickSeconds > 4, 'the show went on for seconds');
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => window.textshow.state().ended, null, { timeout: 5000 });
    assert.equal((await page.evaluate(() => window.textshow.state())).exitCode, 42, 'Escape ends with 42');
    assert.deepEqual(problems, []);
    await page.close();
  }
  {
    const { page } = await openPage(browser, url, refusedAudioFastClock);
    await page.evaluate(() => window.textshow.start());
    await page.waitForFunction(() => !document.getElementById('note').hidden, null, { timeout: 10000 });
    const line = await page.evaluate(() => document.getElementById('note').textContent);
    assert.match(line, /silent/, 'the line under the picture says the music plays silently');
    await page.waitForFunction(() => window.textshow.state().ended, null, { timeout: 60000 });
    const state = await page.evaluate(() => window.textshow.state());
    assert.equal(state.exitCode, 23, 'the last scene ends the show with 23');
    assert.ok(state.tick / 22050 > 80, 'the silent show ran on real time to its end');
    await page.close();
  }
}

async function main() {
  const [which, site, showFrames] = process.argv.slice(2);
  const root = path.resolve(site);
  const server = await serve(root);
  const url = `http://127.0.0.1:${server.address().port}/index.html`;
  const { browser, profile } = await launch();
  try {
    if (which === 'frames') {
      await framesCase(browser, url, path.resolve(showFrames));
    } else if (which === 'playback') {
      await playbackCase(browser, url);
    } else {
      throw new Error(`unknown case ${which}`);
    }
    console.log(`${which}: passed`);
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});

// The web build's weight and start: what a static server sends for the whole site, and
// how long after the start gesture (a real click) the show's first picture stands, in
// Debian's headless Chromium. Also how far the show clock is from the heard music while
// it plays. A benchmark, not a test: it prints figures and asserts nothing.
//   node bench/web_site/measure.js SITE [RUNS]
// It needs the web tests' driver (scripts/setup installs it in tests/web/node_modules).
'use strict';

const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require(path.join(__dirname, '../../tests/web/node_modules/playwright-core'));

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

async function main() {
  const root = path.resolve(process.argv[2]);
  const runs = Number(process.argv[3] || 5);
  let sent = 0;
  const server = http.createServer((request, response) => {
    const file = path.join(root, path.normalize(decodeURIComponent(request.url.split('?')[0])));
    fs.readFile(file, (error, body) => {
      if (error || !file.startsWith(root)) {
        response.writeHead(404);
        response.end();
        return;
      }
      sent += body.length;
      response.writeHead(200, { 'Content-Length': body.length });
      response.end(body);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const url = `http://127.0.0.1:${server.address().port}/index.html`;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'textshow-bench-'));
  const browser = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const firstPictures = [];
  const clockErrors = [];
  for (let run = 0; run < runs; run += 1) {
    sent = 0;
    const page = await browser.newPage();
    await page.goto(url);
    await page.waitForFunction(() => window.textshow && window.textshow.state().phase === 'waiting');
    await page.waitForLoadState('networkidle');
    if (run === 0) {
      console.log(`site sent: ${sent} bytes (${(sent / 1e6).toFixed(3)} MB)`);
    }
    await page.mouse.click(10, 10);
    await page.waitForFunction(() => window.textshow.state().firstPictureMs !== null);
    firstPictures.push(await page.evaluate(() => window.textshow.state().firstPictureMs));
    // The clock against the heard music, both read at the same moment, for 3 s.
    for (let i = 0; i < 15; i += 1) {
      await page.waitForTimeout(200);
      const { tick, heardSeconds } = await page.evaluate(() => window.textshow.state());
      if (heardSeconds > 0) {
        clockErrors.push(Math.abs(tick / 22050 - heardSeconds) * 1000);
      }
    }
    await page.close();
  }
  console.log(`first picture after the click: ${firstPictures.map((ms) => ms.toFixed(1)).join(', ')} ms; median ${median(firstPictures).toFixed(1)} ms`);
  console.log(`|tick - heard|: median ${median(clockErrors).toFixed(2)} ms, largest ${Math.max(...clockErrors).toFixed(2)} ms over ${clockErrors.length} readings`);

  // The first picture after a seek: a link opened at once, before the page has rendered the
  // frame loop ahead (every frame before the moment rendered in the run's own copy), and a
  // seek once it has (only the frames after the latest kept checkpoint).
  const moments = [20, 40, 60, 80];
  const cold = [];
  for (const moment of moments) {
    const page = await browser.newPage();
    await page.goto(`${url}#t=${moment}`);
    await page.waitForFunction(() => window.textshow && window.textshow.state().phase === 'waiting');
    await page.mouse.click(10, 10);
    await page.waitForFunction(() => window.textshow.state().firstPictureMs !== null);
    const { firstPictureMs, fromFrame } = await page.evaluate(() => window.textshow.state());
    cold.push(`${moment} s ${firstPictureMs.toFixed(0)} ms (from frame ${fromFrame})`);
    await page.close();
  }
  console.log(`first picture at a link's moment, at once: ${cold.join(', ')}`);
  const page = await browser.newPage();
  await page.goto(url);
  await page.waitForFunction(() => window.textshow && window.textshow.state().phase === 'waiting');
  const began = Date.now();
  await page.waitForFunction(() => window.textshow.state().aheadFrames > 4600, null, { timeout: 120000, polling: 100 });
  console.log(`the frame loop rendered ahead to 77 s on the start screen in ${Date.now() - began} ms`);
  await page.mouse.click(10, 10);
  await page.waitForFunction(() => window.textshow.state().firstPictureMs !== null);
  const warm = [];
  for (const moment of moments) {
    await page.evaluate((at) => { window.location.hash = `#t=${at}`; }, moment);
    await page.waitForFunction((frame) => window.textshow.state().startFrame === frame && window.textshow.state().firstPictureMs !== null,
      moment * 60, { polling: 20 });
    const { firstPictureMs, fromFrame } = await page.evaluate(() => window.textshow.state());
    warm.push(`${moment} s ${firstPictureMs.toFixed(0)} ms (from frame ${fromFrame})`);
    await page.waitForTimeout(500);
  }
  console.log(`first picture after a seek, rendered ahead: ${warm.join(', ')}`);
  await page.close();
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});

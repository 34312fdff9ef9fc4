// The web build's weight and start: what a static server sends for the whole site, and
// how long after the start gesture (a real click) the show's first picture stands, in one
// browser engine. Also how far the show clock is from the heard music while it plays, as
// the page itself reports it, and the first picture at a link's moment and after a seek.
// A benchmark, not a test: it prints figures and asserts nothing.
//   node bench/web_site/measure.js SITE [RUNS] [ENGINE]   ENGINE: chromium (the default),
//                                                        firefox or webkit
'use strict';

const path = require('node:path');
const { launch, serve, sleep } = require('../../support/web/browsers.js');

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

// The first picture after a seek: a link opened at once, before the page has rendered the
// frame loop ahead (every frame before the moment rendered in the run's own copy), and a
// seek once it has (only the frames after the latest kept checkpoint).
async function seekFigures(browser, server) {
  const moments = [20, 40, 60, 80];
  const cold = [];
  for (const moment of moments) {
    const page = await browser.open(`${server.url('index.html')}#t=${moment}`);
    await page.waitFor(() => window.textshow && window.textshow.state().phase === 'waiting');
    await page.click(10, 10);
    await page.waitFor(() => window.textshow.state().firstPictureMs !== null);
    const { firstPictureMs, fromFrame } = await page.evaluate(() => window.textshow.state());
    cold.push(`${moment} s ${firstPictureMs.toFixed(0)} ms (from frame ${fromFrame})`);
    await page.close();
  }
  console.log(`first picture at a link's moment, at once: ${cold.join(', ')}`);
  const page = await browser.open(server.url('index.html'));
  await page.waitFor(() => window.textshow && window.textshow.state().phase === 'waiting');
  const began = Date.now();
  await page.waitFor(() => window.textshow.state().aheadFrames > 4600, [], 120000);
  console.log(`the frame loop rendered ahead to 77 s on the start screen in ${Date.now() - began} ms`);
  await page.click(10, 10);
  await page.waitFor(() => window.textshow.state().firstPictureMs !== null);
  const warm = [];
  for (const moment of moments) {
    await page.evaluate((at) => { window.location.hash = `#t=${at}`; }, moment);
    await page.waitFor((frame) => window.textshow.state().startFrame === frame &&
      window.textshow.state().firstPictureMs !== null, [moment * 60]);
    const { firstPictureMs, fromFrame } = await page.evaluate(() => window.textshow.state());
    warm.push(`${moment} s ${firstPictureMs.toFixed(0)} ms (from frame ${fromFrame})`);
    await sleep(500);
  }
  console.log(`first picture after a seek, rendered ahead: ${warm.join(', ')}`);
  await page.close();
}

async function main() {
  const server = await serve(path.resolve(process.argv[2]));
  const runs = Number(process.argv[3] || 5);
  const engine = process.argv[4] || 'chromium';
  const browser = await launch(engine, { sound: true });
  console.log(`${engine}: ${browser.version}`);
  const firstPictures = [];
  const clockErrors = [];
  try {
    for (let run = 0; run < runs; run += 1) {
      server.resetSent();
      const page = await browser.open(server.url('index.html'));
      await page.waitFor(() => window.textshow && window.textshow.state().phase === 'waiting');
      // The page fetches the program's files before it says it is waiting, and nothing after.
      await sleep(500);
      if (run === 0) {
        console.log(`site sent: ${server.sent()} bytes (${(server.sent() / 1e6).toFixed(3)} MB)`);
      }
      await page.click(10, 10);
      await page.waitFor(() => window.textshow.state().firstPictureMs !== null);
      firstPictures.push(await page.evaluate(() => window.textshow.state().firstPictureMs));
      // The clock against the heard music, both read at the same moment, for 3 s.
      for (let i = 0; i < 15; i += 1) {
        await sleep(200);
        const { tick, heardSeconds } = await page.evaluate(() => window.textshow.state());
        if (heardSeconds > 0) {
          clockErrors.push(Math.abs(tick / 22050 - heardSeconds) * 1000);
        }
      }
      await page.close();
    }
    await seekFigures(browser, server);
  } finally {
    await browser.close();
    server.close();
  }
  console.log(`first picture after the click: ${firstPictures.map((ms) => ms.toFixed(1)).join(', ')} ms; median ${median(firstPictures).toFixed(1)} ms`);
  console.log(`|tick - heard|: median ${median(clockErrors).toFixed(2)} ms, largest ${Math.max(...clockErrors).toFixed(2)} ms over ${clockErrors.length} readings`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});

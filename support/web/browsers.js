// What the web tests and the web benchmark share: a static server of their own on
// loopback, a private PulseAudio server, and each browser engine behind one page object.
//   serve(root)                    the site, each page with the scripts a test asks for
//   launch(engine, { sound })      'chromium' and 'firefox' through puppeteer-core (CDP and
//                                  WebDriver BiDi), 'webkit' through WebKitWebDriver and
//                                  MiniBrowser on a private Xvfb (classic WebDriver)
//   page: evaluate, waitFor, click, tap, press, resize, hide, show, problems, close
//   browser.emulates: { scale, touch }  whether a page's screen may have more than one
//                                  device pixel per CSS pixel, and touch instead of a mouse
// Nothing is downloaded: the browsers are Debian's, the driver the lock file's.
'use strict';

const { spawn } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const { createRequire } = require('node:module');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');

// The npm packages are the web tests' own, installed beside their lock file.
const puppeteer = createRequire(path.join(__dirname, '../../tests/web/package.json'))('puppeteer-core');

const engines = ['chromium', 'firefox', 'webkit'];

// Every page the server sends records what goes wrong in it, whichever engine shows it:
// console errors, uncaught errors and rejections; and when it was hidden.
const watch = `(() => {
  const problems = (window.__problems = []);
  const error = console.error.bind(console);
  console.error = (...args) => { problems.push('console error: ' + args.join(' ')); error(...args); };
  window.addEventListener('error', (event) => problems.push('page error: ' + event.message));
  window.addEventListener('unhandledrejection', (event) => problems.push('unhandled: ' + event.reason));
  window.__hidden = [];
  document.addEventListener('visibilitychange', () =>
    window.__hidden.push({ hidden: document.hidden, at: performance.now() }));
})();`;

function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

async function until(what, done, timeoutMs) {
  const giveUp = Date.now() + timeoutMs;
  for (;;) {
    const value = await done();
    if (value) {
      return value;
    }
    if (Date.now() > giveUp) {
      throw new Error(`${what}: not within ${timeoutMs} ms`);
    }
    await sleep(50);
  }
}

// The site at `root`. url(file, script) names the file with `script` run first in its
// page; the server counts the bytes it sends and notes every request it cannot answer.
function serve(root) {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  const scripts = [];
  const failed = [];
  let sent = 0;
  const server = http.createServer((request, response) => {
    const [name, query] = request.url.split('?');
    const file = path.join(root, path.normalize(decodeURIComponent(name)));
    fs.readFile(file, (error, body) => {
      if (error || !file.startsWith(root + path.sep)) {
        failed.push(`404: ${request.url}`);
        response.writeHead(404);
        response.end();
        return;
      }
      if (path.extname(file) === '.html') {
        const first = [watch, scripts[Number(new URLSearchParams(query).get('init'))] || ''];
        body = Buffer.from(String(body).replace('<head>', `<head><script>${first.join('\n')}</script>`));
      }
      sent += body.length;
      response.writeHead(200, {
        'Content-Type': types[path.extname(file)] || 'application/octet-stream',
        'Content-Length': body.length,
      });
      response.end(body);
    });
  });
  return new Promise((resolve) =>
    server.listen(0, '127.0.0.1', () => {
      const origin = `http://127.0.0.1:${server.address().port}`;
      resolve({
        url(file, script) {
          scripts.push(script || '');
          return `${origin}/${file}?init=${scripts.length - 1}`;
        },
        failed: () => [...failed],
        sent: () => sent,
        resetSent() {
          sent = 0;
        },
        close: () => server.close(),
      });
    }),
  );
}

function socketAnswers(socket) {
  return new Promise((resolve) => {
    const probe = net.connect(socket, () => {
      probe.end();
      resolve(true);
    });
    probe.on('error', () => resolve(false));
  });
}

// A PulseAudio server of this process's own in a fresh folder, playing into a null sink;
// browsers find it through PULSE_SERVER in their environment.
async function startPulse() {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'textshow-web-sound-'));
  fs.mkdirSync(path.join(folder, 'pulse'));
  const socket = path.join(folder, 'pulse', 'native');
  const server = spawn('pulseaudio', ['-n', '--daemonize=no', '--system=false', '--exit-idle-time=-1',
    '--disallow-exit', '--use-pid-file=no', '--disable-shm=yes', `--log-target=file:${folder}/server.log`,
    '-L', 'module-null-sink sink_name=textshow_test rate=44100 channels=1 format=s16le norewinds=1',
    '-L', `module-native-protocol-unix auth-anonymous=1 socket=${socket}`], {
    env: { ...process.env, HOME: folder, XDG_RUNTIME_DIR: folder, PULSE_STATE_PATH: `${folder}/state`,
      PULSE_RUNTIME_PATH: `${folder}/pulse`, PULSE_SERVER: '' },
    stdio: 'ignore',
  });
  await until('the private PulseAudio server', () => socketAnswers(socket), 120000);
  return {
    env: { PULSE_SERVER: `unix:${socket}`, PULSE_SINK: 'textshow_test' },
    stop() {
      server.kill('SIGTERM');
      fs.rmSync(folder, { recursive: true, force: true });
    },
  };
}

// Puppeteer's own defaults keep a page that is not in front running at full speed; a
// listener's browser does not, and the tests want the page as a listener has it.
const backgrounding = ['--disable-background-timer-throttling', '--disable-backgrounding-occluded-windows',
  '--disable-renderer-backgrounding'];

async function launchPuppeteer(engine, env) {
  const browser = engine === 'firefox'
    ? await puppeteer.launch({ browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true, env, protocolTimeout: 60000 })
    : await puppeteer.launch({
      executablePath: '/usr/bin/chromium',
      headless: true,
      env,
      ignoreDefaultArgs: backgrounding,
      args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-sync',
        '--disable-background-networking', '--disable-component-update'],
    });
  const version = await browser.version();
  return {
    version,
    emulates: { scale: true, touch: true },
    async open(url, size) {
      const page = await browser.newPage();
      const problems = [];
      page.on('console', (message) => {
        if (message.type() === 'error') {
          problems.push(`console error: ${message.text()}`);
        }
      });
      page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
      await page.setViewport(size || { width: 1280, height: 800 });
      await page.goto(url);
      let other = null;
      return {
        raw: page,
        evaluate: (fn, ...args) => page.evaluate(`(${fn})(...${JSON.stringify(args)})`),
        click: (x, y) => page.mouse.click(x, y),
        tap: (x, y) => page.touchscreen.tap(x, y),
        press: (key) => page.keyboard.press(key),
        // A screen of another size: width and height in CSS pixels, and, as the engine
        // allows, deviceScaleFactor, hasTouch and isMobile as a phone's.
        resize: (screen) => page.setViewport(screen),
        problems: () => problems,
        // Another page brought to the front hides this one, as another tab does.
        async hide() {
          other = await browser.newPage();
          await other.bringToFront();
        },
        async show() {
          await page.bringToFront();
          await other.close();
        },
        close: () => page.close(),
      };
    },
    close: () => browser.close(),
  };
}

function freePort() {
  return new Promise((resolve) => {
    const probe = net.createServer().listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

function miniBrowser() {
  const lib = '/usr/lib/x86_64-linux-gnu';
  const folder = fs.readdirSync(lib).find((name) => /^webkit2?gtk-[\d.]+$/.test(name) &&
    fs.existsSync(path.join(lib, name, 'MiniBrowser')));
  if (!folder) {
    throw new Error(`no MiniBrowser under ${lib}/webkit2gtk-*`);
  }
  return path.join(lib, folder, 'MiniBrowser');
}

// An X server of this process's own; it picks a free display number and tells it.
function startXvfb() {
  return new Promise((resolve, reject) => {
    const server = spawn('Xvfb', ['-displayfd', '3', '-nolisten', 'tcp', '-screen', '0', '1600x1000x24'],
      { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
    server.on('error', reject);
    server.stdio[3].once('data', (data) => resolve({ display: `:${String(data).trim()}`, server }));
  });
}

// WebDriver's key names for the keys the tests press.
const webDriverKeys = { Escape: '\uE00C', Home: '\uE011', ArrowLeft: '\uE012', ArrowRight: '\uE014', Enter: '\uE007' };

// WebKitGTK speaks classic WebDriver over HTTP only, which a few requests cover.
async function launchWebKit(env) {
  const x = await startXvfb();
  const port = await freePort();
  const driver = spawn('WebKitWebDriver', [`--host=127.0.0.1`, `--port=${port}`],
    { env: { ...process.env, ...env, DISPLAY: x.display }, stdio: 'ignore' });
  const origin = `http://127.0.0.1:${port}`;
  async function call(method, route, body) {
    const response = await fetch(origin + route, {
      method,
      headers: { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const { value } = await response.json();
    if (value && value.error) {
      throw new Error(`WebDriver ${route}: ${value.error}: ${value.message}`);
    }
    return value;
  }
  const stop = () => {
    driver.kill('SIGTERM');
    x.server.kill('SIGTERM');
  };
  try {
    await until('WebKitWebDriver', () => socketAnswers({ port, host: '127.0.0.1' }), 30000);
    const session = await call('POST', '/session', {
      capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': { binary: miniBrowser(), args: ['--automation'] } } },
    });
    const base = `/session/${session.sessionId}`;
    await call('POST', `${base}/timeouts`, { script: 600000 });
    const pointer = (x0, y0, pointerType = 'mouse') => ({
      actions: [{ type: 'pointer', id: pointerType, parameters: { pointerType }, actions: [
        { type: 'pointerMove', x: Math.round(x0), y: Math.round(y0), duration: 0 },
        { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }] }],
    });
    let opened = false;
    return {
      version: `MiniBrowser (WebKitGTK ${session.capabilities.browserVersion})`,
      // Its WebDriver sizes the window only, at one device pixel per CSS pixel, and has no
      // touch actions on this platform.
      emulates: { scale: false, touch: false },
      async open(url, size) {
        if (opened) {
          throw new Error('one page at a time in WebKit: close the first');
        }
        opened = true;
        const { width, height } = size || { width: 1280, height: 800 };
        await call('POST', `${base}/window/rect`, { width, height });
        await call('POST', `${base}/url`, { url });
        const self = await call('GET', `${base}/window`);
        const evaluate = async (fn, ...args) => {
          const answer = await call('POST', `${base}/execute/async`, {
            script: `const done = arguments[arguments.length - 1];
              Promise.resolve().then(() => (${fn})(...${JSON.stringify(args)}))
                .then((value) => done({ value }), (error) => done({ error: String(error && error.stack || error) }));`,
            args: [],
          });
          if (answer.error) {
            throw new Error(answer.error);
          }
          return answer.value;
        };
        return {
          raw: null,
          evaluate,
          click: (x0, y0) => call('POST', `${base}/actions`, pointer(x0, y0)),
          tap: (x0, y0) => call('POST', `${base}/actions`, pointer(x0, y0, 'touch')),
          press: (key) => {
            const value = webDriverKeys[key] || key;
            return call('POST', `${base}/actions`, {
              actions: [{ type: 'key', id: 'keys', actions: [{ type: 'keyDown', value }, { type: 'keyUp', value }] }],
            });
          },
          problems: () => [],
          resize: (screen) => call('POST', `${base}/window/rect`, { width: screen.width, height: screen.height }),
          // A new tab or window in front leaves MiniBrowser's page visible; a minimized
          // window hides it, and switching to it and sizing it again shows it.
          hide: () => call('POST', `${base}/window/minimize`, {}),
          async show() {
            await call('POST', `${base}/window`, { handle: self });
            await call('POST', `${base}/window/rect`, { width, height });
          },
          close: async () => {
            opened = false;
            await call('POST', `${base}/url`, { url: 'about:blank' });
          },
        };
      },
      async close() {
        await call('DELETE', base).catch(() => {});
        stop();
      },
    };
  } catch (error) {
    stop();
    throw error;
  }
}

// A browser of the engine named, playing into a private sound server when `sound` is
// set, and into none at all otherwise. Every page it opens has the same face; its
// problems() are the ones the engine reports besides those the page itself records.
async function launch(engine, { sound = true } = {}) {
  const pulse = sound ? await startPulse() : null;
  // Without a server of ours, nothing in the environment may lead to another one.
  const env = { ...process.env, ...(pulse ? pulse.env : { PULSE_SERVER: 'unix:/nonexistent' }) };
  let browser;
  try {
    browser = engine === 'webkit' ? await launchWebKit(env) : await launchPuppeteer(engine, env);
  } catch (error) {
    if (pulse) {
      pulse.stop();
    }
    throw error;
  }
  return {
    engine,
    version: browser.version,
    emulates: browser.emulates,
    async open(url, size) {
      const page = await browser.open(url, size);
      const evaluate = page.evaluate;
      return {
        ...page,
        // Polls with evaluate: a wait the driver runs itself has been seen to return
        // before its condition held.
        waitFor: (fn, args = [], timeoutMs = 30000) =>
          until(`waiting for ${fn}`, () => evaluate(fn, ...args), timeoutMs),
        async problems() {
          return [...page.problems(), ...(await evaluate(() => window.__problems))];
        },
      };
    },
    async close() {
      await browser.close();
      if (pulse) {
        pulse.stop();
      }
    },
  };
}

// Runs one named case of a web test, as its command line names it: serves the site,
// starts the engine (with the private sound server when `sound` says so), hands both to
// the case and closes them whatever happens. A failure ends the process with exit code 1.
function runCase({ engine, which, site, cases, sound }) {
  const run = async () => {
    const test = cases[which];
    if (!test) {
      throw new Error(`unknown case ${which}`);
    }
    const server = await serve(path.resolve(site));
    const browser = await launch(engine, { sound: sound(which) });
    console.log(`${engine}: ${browser.version}`);
    const began = Date.now();
    try {
      await test(browser, server);
      console.log(`${engine} ${which}: passed in ${((Date.now() - began) / 1000).toFixed(1)} s`);
    } finally {
      await browser.close();
      server.close();
    }
  };
  run().catch((error) => {
    console.error(error);
    process.exit(1);
  });
}

module.exports = { engines, serve, launch, sleep, until, runCase };

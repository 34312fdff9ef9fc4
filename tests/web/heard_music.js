// What the web tests know of the music a page plays, apart from the page's own account:
// the blocks it scheduled, and the engine's unaltered report of what is heard.
//   heardMusic(engine, latency)   a script run first in the page that notes every block of
//                                 music as it is scheduled (when, how long, the first
//                                 samples of the first) and, with `latency` seconds, makes
//                                 the output that much late, as a wireless headset is
//   followsTheMusic(page, ...)    samples the tick against the heard music
'use strict';

const assert = require('node:assert/strict');
const { sleep } = require('../../support/web/browsers.js');

const frameSeconds = 1 / 60;

// The context reports its latency `latency` longer and its output timestamps that much
// behind; the tick must follow the music heard, not what the context has computed. The
// tests work the heard position out on their own, from the engine's unaltered report and
// the blocks of music as they were scheduled, gaps between them included. A new context
// starts a new list; a test that reuses one clears the list itself.
function heardMusic(engine, latency = 0) {
  return `(() => {
  const latency = ${latency};
  const proto = AudioContext.prototype;
  const realStamp = proto.getOutputTimestamp;
  const realOutput = (Object.getOwnPropertyDescriptor(proto, 'outputLatency') || {}).get;
  window.__heard = { engine: ${JSON.stringify(engine)}, latency, context: null, blocks: [], first: null, realStamp, realOutput };
  if (latency > 0) {
    if (realStamp) {
      proto.getOutputTimestamp = function () {
        const stamp = realStamp.call(this);
        return { contextTime: stamp.contextTime - latency, performanceTime: stamp.performanceTime };
      };
    }
    Object.defineProperty(proto, 'outputLatency', {
      configurable: true,
      get() { return (realOutput ? realOutput.call(this) : 0) + latency; },
    });
  }
  const realStart = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (when, ...rest) {
    const heard = window.__heard;
    if (heard.context !== this.context) {
      Object.assign(heard, { context: this.context, blocks: [], first: null });
    }
    if (heard.first === null) {
      heard.first = Array.from(this.buffer.getChannelData(0).subarray(0, 4096));
      heard.rate = this.buffer.sampleRate;
    }
    heard.blocks.push({ when, seconds: this.buffer.duration });
    return realStart.call(this, when, ...rest);
  };
})();`;
}

// The tick and the heard position at one moment. Where the engine's output timestamp
// pairs the time heard with the moment it is heard (Chromium), that is the truth; where
// it does not (Firefox pairs it with a moment its latency too early, WebKit with one yet
// to come), the heard time is the context's current time carried from the moments it
// steps on, less the latencies the engine reports. Those moments are found by watching the
// current time closely for 60 ms at each sample, the earliest-looking counting, since the
// page learns of a step only after it happened. WebKitGTK reports no latency for the
// output, which it therefore cannot be checked against.
// Positions count from `from` seconds into the music, where the page's run began.
async function sampleClock(page, from) {
  return page.evaluate(async (start) => {
    const heard = window.__heard;
    const context = heard.context;
    const running = context.state === 'running';
    let lead = -Infinity;
    let steady = true;
    if (running && heard.engine !== 'chromium') {
      // A timer's turn, not a message's: messages can starve the tasks that bring the
      // current time up to date.
      const turn = () => new Promise((resolve) => setTimeout(resolve, 0));
      const from = [performance.now(), context.currentTime];
      for (const end = from[0] + 60; performance.now() < end; await turn()) {
        lead = Math.max(lead, context.currentTime - performance.now() / 1000);
      }
      steady = Math.abs(context.currentTime - from[1] - (performance.now() - from[0]) / 1000) < 0.02;
    }
    const now = performance.now();
    const state = window.textshow.state();
    let at;
    if (heard.engine === 'chromium') {
      const stamp = heard.realStamp.call(context);
      at = stamp.contextTime + (running ? (now - stamp.performanceTime) / 1000 : 0);
      steady = !running || now - stamp.performanceTime < 30;
    } else {
      const lag = (context.baseLatency || 0) + (heard.realOutput ? heard.realOutput.call(context) : 0);
      at = (running ? now / 1000 + lead : context.currentTime) - lag;
    }
    const music = (time) => heard.blocks.reduce(
      (sum, block) => sum + Math.max(0, Math.min(time - block.when, block.seconds)), 0);
    const heardSeconds = start + music(at - heard.latency);
    // A stopped context's output may yet play what it holds, or drop it: the music heard
    // last lies between the time heard when it stopped and the time computed.
    const heardAtMost = running ? heardSeconds : start + music(context.currentTime);
    return { tickSeconds: state.tick / 22050, heardSeconds, heardAtMost, phase: state.phase, running, steady };
  }, from);
}

// Samples the clock until `count` samples are judged, `everyMs` apart: the tick must be
// within a frame of the heard music. The audio runs dry now and then, on a busy machine or
// right after an output starts again: a sample taken while the engine's own report stumbles
// (its output timestamp stale, or its time not keeping pace with real time within 20 ms) is
// not judged, and the sampling goes on, up to twice as many; at least `count` / 2 must be
// judged, and of those one in eight may miss, as the clock learns of a stall only after it
// began.
async function followsTheMusic(page, count, everyMs, what, { between = async () => {}, from = 0 } = {}) {
  const samples = [];
  const offs = [];
  for (let i = 0; offs.length < count && i < 2 * count; i += 1) {
    await between(i);
    const sample = await sampleClock(page, from);
    assert.equal(sample.phase, 'playing', what);
    if (sample.steady) {
      offs.push(Math.min(sample.tickSeconds - sample.heardSeconds, 0) +
        Math.max(sample.tickSeconds - sample.heardAtMost, 0));
    }
    samples.push(sample);
    await sleep(everyMs);
  }
  assert.ok(offs.length >= count / 2,
    `${what}: the audio stumbled in ${samples.length - offs.length} of ${samples.length} samples`);
  const ms = offs.map((off) => Math.abs(off) * 1000).sort((a, b) => a - b);
  console.log(`${what}: |tick - heard| median ${ms[ms.length >> 1].toFixed(1)} ms, largest ` +
    `${ms[ms.length - 1].toFixed(1)} ms over ${offs.length} of ${samples.length} samples`);
  const misses = offs.filter((off) => Math.abs(off) > frameSeconds);
  assert.ok(misses.length <= Math.ceil(offs.length / 8), `${what}: the tick follows the heard music ` +
    `within a frame (off by ${misses.map((off) => (off * 1000).toFixed(1)).join(', ')} ms)`);
  return samples;
}

module.exports = { heardMusic, followsTheMusic, frameSeconds };

// The page around the show: it loads the program and the show's files, waits for a
// gesture (browsers start sound only after one), runs the program with Web Audio as its
// sound output and a canvas as its console, and shows a quiet end screen that offers to
// play again. window.textshow is the face it shows to scripts that embed or test it.
'use strict';

(() => {
  // The build writes the data files' names in from the one list the whole project reads.
  const screenFiles = ['@TEXTSHOW_DATA_screen_a@', '@TEXTSHOW_DATA_screen_b@'];
  const dataFiles = ['@TEXTSHOW_DATA_soundtrack@', ...screenFiles];
  // The show's grid, as every copy of the program gives it. Plain declarations: the
  // optimizer that minifies this script drops a destructuring one.
  let cols = 0;
  let rows = 0;
  const width = 640;
  const height = 400;
  const ticksPerSecond = 22050;
  // A context that has not started this long after the show began will not start: the
  // browser refuses to play, or there is no output. The show goes on in silence.
  const refuseAfterMs = 3000;
  const silentLine = 'No sound: the browser did not start the audio, so the music plays silently.';

  const canvas = document.getElementById('screen');
  const note = document.getElementById('note');
  const context2d = canvas.getContext('2d');
  const image = context2d.createImageData(width, height);

  let loaded = null;
  let screenProgram = null;
  let palette = null;
  let phase = 'loading';
  let run = null;
  let endedCode = null;

  function fetchBytes(name) {
    return fetch(name).then((response) => {
      if (!response.ok) {
        throw new Error(`${name}: ${response.status} ${response.statusText}`);
      }
      return response.arrayBuffer();
    });
  }

  // The program is compiled once; every run and every render call gets a fresh copy of
  // it, with memory of its own, so that nothing one leaves behind reaches another.
  function load() {
    if (!loaded) {
      loaded = Promise.all([
        fetchBytes('textshow.wasm').then((bytes) => WebAssembly.compile(bytes)),
        ...dataFiles.map((name) => fetchBytes(name).then((bytes) => [name, new Uint8Array(bytes)])),
      ]).then(([wasm, ...files]) => ({ wasm, files }));
    }
    return loaded;
  }

  async function newProgram(page, names) {
    const { wasm, files } = await load();
    const program = await textshow_program({
      page,
      instantiateWasm(imports, receive) {
        WebAssembly.instantiate(wasm, imports).then((instance) => receive(instance, wasm));
        return {};
      },
      print: (text) => console.log(text),
      printErr: (text) => console.error(text),
    });
    cols = program._web_page_cols();
    rows = program._web_page_rows();
    // No destructuring in the loop's head: the optimizer that minifies this script drops it.
    for (const file of files) {
      if (names.includes(file[0])) {
        program.FS.writeFile('/' + file[0], file[1]);
      }
    }
    return program;
  }

  // Draws the 4000 screen bytes at `cells` in the program's memory: the program turns them
  // into the pixels of show-frames --png, the canvas shows them enlarged by a whole factor.
  function draw(program, cells) {
    const pixels = program._web_page_picture(cells);
    const indices = program.HEAPU8.subarray(pixels, pixels + width * height);
    const rgba = image.data;
    for (let i = 0, o = 0; i < indices.length; i += 1, o += 4) {
      const colour = indices[i] * 3;
      rgba[o] = palette[colour];
      rgba[o + 1] = palette[colour + 1];
      rgba[o + 2] = palette[colour + 2];
      rgba[o + 3] = 255;
    }
    context2d.putImageData(image, 0, 0);
  }

  // The start and end screens are drawn by a copy of the program kept for them.
  function drawScreen(cells) {
    screenProgram.HEAPU8.set(cells, screenProgram.cells);
    draw(screenProgram, screenProgram.cells);
  }

  // The largest size that fits the window: whole factors of device pixels, so every pixel
  // of the picture is a square of the same size, wherever that is at least the picture's
  // own size in CSS pixels; below that (a phone) the largest size of the same shape.
  // Centred, with room for the note above it when it shows.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const room = note.hidden ? 0 : 28;
    const across = window.innerWidth * ratio;
    const down = (window.innerHeight - room) * ratio;
    const most = Math.min(across / width, down / height);
    const scale = Math.floor(most) >= ratio ? Math.floor(most) : most;
    const cssWidth = (width * scale) / ratio;
    const cssHeight = (height * scale) / ratio;
    canvas.style.width = `${cssWidth}px`;
    canvas.style.height = `${cssHeight}px`;
    canvas.style.left = `${Math.round(((window.innerWidth - cssWidth) / 2) * ratio) / ratio}px`;
    canvas.style.top = `${Math.round((room + (window.innerHeight - room - cssHeight) / 2) * ratio) / ratio}px`;
  }

  function showNote(text) {
    note.textContent = text;
    note.hidden = !text;
    fit();
  }

  // A screen of the show's own look: black, a double-lined box in the middle, its lines
  // in the show's colours.
  function boxScreen(lines) {
    const cells = new Uint8Array(cols * rows * 2);
    const put = (x, y, code, attribute) => {
      cells[2 * (y * cols + x)] = code;
      cells[2 * (y * cols + x) + 1] = attribute;
    };
    const inner = Math.max(...lines.map(([text]) => text.length)) + 4;
    const left = Math.floor((cols - inner - 2) / 2);
    const top = Math.floor((rows - lines.length - 4) / 2);
    const frame = 0x09;
    for (let y = 0; y < lines.length + 4; y += 1) {
      for (let x = 0; x < inner + 2; x += 1) {
        const edgeX = x === 0 || x === inner + 1;
        const edgeY = y === 0 || y === lines.length + 3;
        let code = 0x20;
        if (edgeX && edgeY) {
          code = y === 0 ? (x === 0 ? 0xc9 : 0xbb) : x === 0 ? 0xc8 : 0xbc;
        } else if (edgeY) {
          code = 0xcd;
        } else if (edgeX) {
          code = 0xba;
        }
        put(left + x, top + y, code, frame);
      }
    }
    lines.forEach(([text, attribute], i) => {
      const start = left + 1 + Math.floor((inner - text.length) / 2);
      for (let c = 0; c < text.length; c += 1) {
        put(start + c, top + 2 + i, text.charCodeAt(c), attribute);
      }
    });
    return cells;
  }

  // A moment as the player shows it: minutes, seconds and tenths.
  function clockText(seconds) {
    const tenths = Math.floor(seconds * 10);
    const minutes = Math.floor(tenths / 600);
    const rest = tenths - minutes * 600;
    return `${minutes}:${String(Math.floor(rest / 10)).padStart(2, '0')}.${rest % 10}`;
  }

  // The moment a link opens at: '#t=65', '#t=65.5', '#t=1:05' or '#t=1:05.5'.
  function linkedSeconds() {
    const match = /^#(?:.*&)?t=(?:(\d+):)?(\d+(?:\.\d*)?)(?:&|$)/.exec(window.location.hash);
    return match ? (match[1] ? Number(match[1]) * 60 : 0) + Number(match[2]) : 0;
  }

  function linkTo(seconds) {
    return `${window.location.href.split('#')[0]}#t=${(Math.floor(seconds * 100) / 100).toFixed(2)}`;
  }

  const keysLine = 'space pause  \x1b \x1a 5 s  home start  f fullscreen  esc end';

  function startScreen(seconds) {
    return boxScreen([
      ['textshow', 0x0f],
      ['', 0x07],
      [`click, tap or press a key to start${seconds > 0 ? ` at ${clockText(seconds)}` : ''}`, 0x07],
      ['this show contains flashing pictures', 0x0c],
      ['', 0x07],
      [keysLine, 0x07],
    ]);
  }

  function endScreen(code, seconds) {
    return boxScreen([
      [code === 42 ? `the show was ended at ${clockText(seconds)}` : 'the end', 0x07],
      ['', 0x07],
      ['click, tap or press a key to play again,', 0x07],
      ['or copy the link to this moment below', 0x07],
    ]);
  }

  // The sound output's side in the page: the blocks the program hands over are played one
  // right after another, and the heard position is the context time heard at a moment of
  // performance.now(), output latency included. Engines differ in what they report:
  // Chromium's output timestamp pairs the time heard with the moment of its audio
  // callback; Firefox's pairs the context time less the latency with a moment the same
  // latency before now, which reads as the time being computed, not heard; WebKit's names
  // a moment yet to come. So the output timestamp counts only where its moment has passed
  // since the context last started, and beside it stands the context's current time less
  // its latencies, carried from the moment it was seen to step on. The current time
  // reaches the page in steps, each a little late, so it is read at every animation frame
  // and the least lag between now and it over the last tenth of a second counts: long
  // enough to catch a step as it comes, short enough to follow the audio when it falls
  // behind. The earlier of the two is heard: the picture may trail the music by a little,
  // never lead it. While a context that has played is stopped from outside, what it
  // played last is held; while the player is paused, what was heard as it paused, since
  // the context goes on for a moment before its suspension takes hold. Positions count
  // from the first block, wherever in the music the run began.
  function audioSink(context) {
    let rate = 44100;
    let next = 0;
    let base = 0;
    let queued = 0;
    let openedAt = 0;
    let refused = context === null;
    let closed = false;
    let changed = null;
    let played = false;
    let heldAtPause = null;
    let runningSince = null;
    let steps = [];
    const sources = [];

    function stopSources() {
      for (const source of sources.splice(0)) {
        try {
          source.stop();
        } catch (error) {
          // Never started, or already over.
        }
      }
    }

    function refuse() {
      if (refused) {
        return;
      }
      refused = true;
      stopSources();
      // A context that started later would play the music out of step with the show.
      context.close().catch(() => {});
      showNote(silentLine);
    }

    const onChange = () => changed && changed();

    function observe(now) {
      if (context.state === 'running' && context.currentTime > 0) {
        steps.push({ now, lead: context.currentTime - now / 1000 });
      }
      steps = steps.filter((step) => step.now > now - 100);
    }

    function watch() {
      if (!refused && !closed) {
        observe(performance.now());
        requestAnimationFrame(watch);
      }
    }

    // Context seconds heard at `now`, or, with `stopped`, the last heard before the
    // context stopped, or null when nothing is known yet.
    function contextHeard(now, stopped) {
      const lag = (context.baseLatency || 0) + (context.outputLatency || 0);
      const current = context.currentTime;
      const estimates = [];
      const stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : null;
      const fresh = stamp && (stopped || stamp.performanceTime >= runningSince);
      if (fresh && stamp.performanceTime <= now) {
        estimates.push(stamp.contextTime + (stopped ? 0 : (now - stamp.performanceTime) / 1000));
      }
      if (stopped) {
        estimates.push(current - lag);
      } else if (current > 0) {
        observe(now);
        estimates.push(now / 1000 + Math.max(...steps.map((step) => step.lead)) - lag);
      }
      return estimates.length > 0 ? Math.min(...estimates) : null;
    }

    return {
      open(framesPerSecond, whenChanged) {
        rate = framesPerSecond;
        openedAt = performance.now();
        changed = whenChanged;
        if (refused) {
          showNote(silentLine);
          return;
        }
        requestAnimationFrame(watch);
        context.addEventListener('statechange', onChange);
        document.addEventListener('visibilitychange', onChange);
      },
      queue(samples) {
        if (refused || closed) {
          return;
        }
        const buffer = context.createBuffer(1, samples.length, rate);
        const channel = buffer.getChannelData(0);
        for (let i = 0; i < samples.length; i += 1) {
          channel[i] = samples[i] / 32768;
        }
        const source = context.createBufferSource();
        source.buffer = buffer;
        source.connect(context.destination);
        // The first block, or one after the music ran dry, starts a little after now; the
        // position heard is counted from where the music would have started.
        if (queued === 0 || next < context.currentTime) {
          next = context.currentTime + 0.02;
          base = next - queued / rate;
        }
        source.start(next);
        source.onended = () => sources.splice(sources.indexOf(source), 1);
        sources.push(source);
        next += samples.length / rate;
        queued += samples.length;
      },
      heard() {
        if (refused) {
          return { seconds: 0, atMs: -1, refused: true, held: heldAtPause !== null };
        }
        const now = performance.now();
        const running = heldAtPause === null && context.state === 'running' && queued > 0;
        if (!running) {
          runningSince = null;
          steps = [];
        } else if (runningSince === null) {
          runningSince = now;
        }
        if (played && heldAtPause !== null) {
          return { seconds: heldAtPause, atMs: now, refused: false, held: true };
        }
        const heard = played || running ? contextHeard(now, !running) : null;
        if (played) {
          // No '??' here: the optimizer that minifies this script drops the brackets around it.
          const seconds = heard === null ? 0 : Math.max(0, heard - base);
          return { seconds, atMs: now, refused: false, held: !running };
        }
        if (heard === null || heard < base) {
          // A player paused before its music began is not a context that will not start.
          if (heldAtPause === null && now - openedAt > refuseAfterMs) {
            refuse();
          }
          return { seconds: 0, atMs: -1, refused, held: false };
        }
        played = true;
        return { seconds: heard - base, atMs: now, refused: false, held: false };
      },
      heardNow() {
        const heard = this.heard();
        return heard.atMs < 0 ? 0 : heard.seconds + (performance.now() - heard.atMs) / 1000;
      },
      // The player's pause: the position holds where it is heard now, the context is
      // suspended, and the program learns it before the next picture.
      pause() {
        heldAtPause = this.heardNow();
        if (!refused) {
          context.suspend().catch(() => {});
        }
        onChange();
      },
      resume() {
        heldAtPause = null;
        openedAt = performance.now();
        if (!refused) {
          context.resume().catch(() => {});
        }
        onChange();
      },
      close() {
        closed = true;
        changed = null;
        document.removeEventListener('visibilitychange', onChange);
        if (!refused) {
          context.removeEventListener('statechange', onChange);
        }
        stopSources();
      },
    };
  }

  // Starting an audio context takes a while, so one is made ahead of time; a context made
  // outside a gesture waits suspended until the start gesture resumes it. Every run plays
  // through the same context once it plays, so a seek needs no new one.
  let audioContext = null;

  function makeAudioContext() {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) {
      return null;
    }
    try {
      return new Context({ latencyHint: 'interactive' });
    } catch (error) {
      return null;
    }
  }

  // A run that starts paused leaves the context suspended: resumed and at once suspended
  // again, Chromium's context has been seen to report itself running ever after while its
  // time stood still.
  function contextForRun(paused) {
    if (!audioContext || audioContext.state === 'closed') {
      audioContext = makeAudioContext();
    }
    if (audioContext && !paused) {
      audioContext.resume().catch(() => {});
    }
    return audioContext;
  }

  // The same for the next run's copy of the program, with the show's files in place: it
  // is fresh, since nothing runs in it until the start, and it is there at once.
  let spareProgram = null;

  function makeSpareProgram() {
    spareProgram = newProgram(null, dataFiles);
    spareProgram.catch(() => {});
  }

  const framesPerSecond = 60;
  const frameTick = (frame) => Math.floor((frame * ticksPerSecond) / framesPerSecond);
  let paused = false;

  // The 60 fps frame loop rendered ahead, in a copy of the program kept for it, whenever the
  // page has nothing else to do. Every few seconds of it the copy's memory is kept: a run
  // that starts later takes the latest kept before its moment into its own copy of the
  // program and renders only the frames after it, not the whole show before its moment.
  const checkpointEvery = 2 * framesPerSecond;
  const checkpoints = [];
  let aheadFrames = 0;
  let aheadProgram = null;

  function whenIdle(work) {
    if (window.requestIdleCallback) {
      window.requestIdleCallback(work, { timeout: 1000 });
    } else {
      // A slice of a few milliseconds by the clock, as an idle period would give.
      window.setTimeout(() => {
        const end = performance.now() + 6;
        work({ timeRemaining: () => Math.max(0, end - performance.now()) });
      }, 40);
    }
  }

  function keepCheckpoint(program, frame) {
    const low = program._web_page_stack_low();
    const high = program._web_page_stack_high();
    const end = program._web_page_heap_end();
    checkpoints.push({
      frame, high, end, below: program.HEAPU8.slice(0, low), above: program.HEAPU8.slice(high, end),
    });
  }

  // The copy of the program is the same program in memory of the same layout, so a kept
  // memory put in its place carries on as the copy it came from would.
  function restoreCheckpoint(program, checkpoint) {
    const end = program._web_page_heap_end();
    if (program.HEAPU8.length < checkpoint.end) {
      program._free(program._malloc(checkpoint.end - end));
    }
    const memory = program.HEAPU8;
    memory.set(checkpoint.below, 0);
    memory.set(checkpoint.above, checkpoint.high);
    memory.fill(0, checkpoint.end, Math.max(checkpoint.end, end));
  }

  async function renderAhead() {
    const program = await newProgram({ present() {}, ended() {}, audio: audioSink(null) }, screenFiles);
    let lastFrame = Infinity;
    aheadProgram = program;
    const step = (deadline) => {
      while (deadline.timeRemaining() > 2) {
        program._web_page_advance(aheadFrames, aheadFrames);
        if (aheadFrames === 0) {
          // Nothing is kept past the last scene, which ends the program.
          lastFrame = Math.floor((program._web_page_end_tick() * framesPerSecond) / ticksPerSecond) - 1;
        }
        if (aheadFrames > 0 && aheadFrames % checkpointEvery === 0) {
          keepCheckpoint(program, aheadFrames);
        }
        aheadFrames += 1;
        if (aheadFrames + checkpointEvery > lastFrame) {
          return;
        }
      }
      whenIdle(step);
    };
    whenIdle(step);
  }

  // A run plays the show from a moment: a fresh copy of the program renders the 60 fps
  // frame loop up to that moment's frame, shows it and goes on with the music from there.
  // A seek is a new run; the one before stops at once.
  async function begin(seconds, gestureAt) {
    const frame = Math.floor(Math.min(Math.max(seconds, 0), 3600) * framesPerSecond + 1e-6);
    const keepPaused = paused && run !== null && phase === 'playing';
    if (run && run.live) {
      run.live = false;
      run.program._web_page_stop();
    }
    if (run) {
      run.audio.close();
    }
    phase = 'starting';
    paused = false;
    endedCode = null;
    showNote('');
    const audio = audioSink(contextForRun(keepPaused));
    const current = {
      program: null, audio, gestureAt, frame, firstPictureMs: null, firstFrame: null,
      presents: 0, tick: frameTick(frame), live: false, musicStartMs: 0, endTick: 0,
    };
    run = current;
    const page = {
      audio,
      present(cells) {
        current.presents += 1;
        // The first present is the frame of the moment the run began at.
        if (current.presents === 1) {
          current.firstPictureMs = performance.now() - gestureAt;
          current.firstFrame = current.program.HEAPU8.slice(cells, cells + cols * rows * 2);
        }
        draw(current.program, cells);
      },
      ended(code) {
        current.tick = current.program._web_page_tick();
        current.live = false;
        audio.close();
        if (run === current) {
          endedCode = code;
          phase = 'ended';
          drawScreen(endScreen(code, current.tick / ticksPerSecond));
          showBar();
        }
      },
    };
    const program = await (spareProgram || newProgram(null, dataFiles));
    makeSpareProgram();
    if (run !== current) {
      return;
    }
    // The copy rendering ahead may have gone past the latest checkpoint: where it stands
    // now is kept too, when it is not past the moment.
    const latest = checkpoints.length ? checkpoints[checkpoints.length - 1].frame : 0;
    if (aheadProgram && aheadFrames - 1 > latest && aheadFrames - 1 <= frame) {
      keepCheckpoint(aheadProgram, aheadFrames - 1);
    }
    const checkpoint = checkpoints.filter((kept) => kept.frame <= frame).pop();
    current.fromFrame = checkpoint ? checkpoint.frame : 0;
    if (checkpoint) {
      restoreCheckpoint(program, checkpoint);
    }
    current.program = program;
    program.page = page;
    phase = 'playing';
    current.live = true;
    try {
      program._web_page_play(checkpoint ? checkpoint.frame + 1 : 0, frame);
    } catch (thrown) {
      // The frame loop leaves the call for the page's event loop, as the end of the show does.
      if (thrown !== 'unwind') {
        throw thrown;
      }
    }
    if (current.live) {
      current.musicStartMs = program._web_page_music_start_ms();
      current.endTick = program._web_page_end_tick();
      if (keepPaused) {
        setPaused(true);
      }
    }
    showBar();
  }

  function start() {
    if (phase === 'playing' || phase === 'starting') {
      return Promise.resolve();
    }
    if (navigator.audioSession) {
      // So that the silent switch of a phone does not mute the show.
      try {
        navigator.audioSession.type = 'playback';
      } catch (error) {
        // Not offered after all.
      }
    }
    return begin(run === null ? linkedSeconds() : 0, performance.now());
  }

  function live() {
    return run !== null && run.live && phase === 'playing';
  }

  function currentSeconds() {
    return (live() ? run.program._web_page_tick() : run ? run.tick : 0) / ticksPerSecond;
  }

  function seekTo(seconds) {
    if (run !== null && phase !== 'waiting' && phase !== 'loading') {
      begin(seconds, performance.now());
    }
  }

  function setPaused(on) {
    if (!live() || paused === on) {
      return;
    }
    paused = on;
    if (on) {
      run.program._web_page_pause(1);
      run.audio.pause();
    } else {
      run.audio.resume();
      run.program._web_page_pause(0);
    }
    showBar();
  }

  // Each call renders in a copy of the program of its own, from the show's beginning.
  async function render(ticks) {
    const program = await newProgram({ present() {}, ended() {}, audio: audioSink(null) }, screenFiles);
    const count = ticks.length;
    const ticksAt = program._malloc(4 * Math.max(count, 1));
    const framesAt = program._malloc(cols * rows * 2 * Math.max(count, 1));
    const doneAt = program._malloc(4);
    program.HEAP32.set(Int32Array.from(ticks), ticksAt >> 2);
    program.HEAP32[doneAt >> 2] = 0;
    try {
      program._web_page_render(ticksAt, count, framesAt, doneAt);
    } catch (thrown) {
      // The last scene ends the program, as it ends show-frames: the frames before stand.
      if (thrown !== 'unwind') {
        throw thrown;
      }
    }
    const done = program.HEAP32[doneAt >> 2];
    const frames = [];
    for (let i = 0; i < done; i += 1) {
      const at = framesAt + i * cols * rows * 2;
      frames.push(program.HEAPU8.slice(at, at + cols * rows * 2));
    }
    return frames;
  }

  function state() {
    const playing = live();
    const tick = playing ? run.program._web_page_tick() : run ? run.tick : 0;
    return {
      phase,
      tick,
      heardSeconds: playing ? run.musicStartMs / 1000 + run.audio.heardNow() : 0,
      ended: phase === 'ended',
      exitCode: endedCode,
      firstPictureMs: run ? run.firstPictureMs : null,
      paused,
      seconds: tick / ticksPerSecond,
      startFrame: run ? run.frame : null,
      fromFrame: run ? run.fromFrame : null,
      aheadFrames,
      firstFrame: run && run.firstFrame ? run.firstFrame.slice() : null,
    };
  }

  // The controls: a thin time line and a row of buttons under the picture, shown on the
  // start and end screens, while paused, and for a while after the pointer moves.
  const bar = document.getElementById('bar');
  const buttons = {};
  for (const id of ['play', 'back', 'forward', 'restart', 'copy', 'fullscreen']) {
    buttons[id] = document.getElementById(id);
  }
  const line = document.getElementById('line');
  const done = document.getElementById('done');
  const time = document.getElementById('time');
  const link = document.getElementById('link');
  let quietTimer = 0;

  function updateBar() {
    const seconds = run ? currentSeconds() : linkedSeconds();
    const length = run && run.endTick ? run.endTick / ticksPerSecond : 0;
    const playing = live() && !paused;
    buttons.play.textContent = playing ? '\u275a\u275a' : '\u25b6';
    buttons.play.setAttribute('aria-label', playing ? 'Pause' : phase === 'ended' ? 'Play again' : 'Play');
    for (const id of ['back', 'forward', 'restart']) {
      buttons[id].disabled = !live();
    }
    time.textContent = length ? `${clockText(seconds)} / ${clockText(length)}` : clockText(seconds);
    done.style.width = length ? `${Math.min(100, (100 * seconds) / length)}%` : '0';
    link.value = linkTo(seconds);
    const full = Boolean(document.fullscreenElement || document.webkitFullscreenElement);
    buttons.fullscreen.setAttribute('aria-label', full ? 'Leave fullscreen' : 'Fullscreen');
  }

  function showBar() {
    bar.classList.remove('quiet');
    window.clearTimeout(quietTimer);
    if (live() && !paused) {
      quietTimer = window.setTimeout(() => bar.classList.add('quiet'), 2500);
    }
    updateBar();
  }

  window.setInterval(() => {
    if (!bar.classList.contains('quiet')) {
      updateBar();
    }
  }, 100);

  function copyLink() {
    const text = link.value;
    const copied = () => {
      buttons.copy.textContent = 'copied';
      window.setTimeout(() => {
        buttons.copy.textContent = 'link';
      }, 1500);
    };
    const fallback = () => {
      link.select();
      if (document.execCommand('copy')) {
        copied();
      }
    };
    if (navigator.clipboard) {
      navigator.clipboard.writeText(text).then(copied, fallback);
    } else {
      fallback();
    }
  }

  // A double click or tap may arrive as both a dblclick and two taps: one toggle for both.
  let toggledAt = -1000;
  let leftFullscreenAt = -1000;

  function toggleFullscreen() {
    const now = performance.now();
    if (now - toggledAt < 400) {
      return;
    }
    toggledAt = now;
    const root = document.documentElement;
    if (document.fullscreenElement || document.webkitFullscreenElement) {
      (document.exitFullscreen || document.webkitExitFullscreen).call(document);
    } else if (root.requestFullscreen) {
      root.requestFullscreen().catch(() => {});
    } else if (root.webkitRequestFullscreen) {
      root.webkitRequestFullscreen();
    }
  }

  const actions = {
    ' ': () => setPaused(!paused),
    ArrowLeft: () => seekTo(currentSeconds() - 5),
    ArrowRight: () => seekTo(currentSeconds() + 5),
    Home: () => seekTo(0),
    f: toggleFullscreen,
    F: toggleFullscreen,
  };

  buttons.play.addEventListener('click', () => (live() ? setPaused(!paused) : start()));
  buttons.back.addEventListener('click', actions.ArrowLeft);
  buttons.forward.addEventListener('click', actions.ArrowRight);
  buttons.restart.addEventListener('click', actions.Home);
  buttons.copy.addEventListener('click', copyLink);
  buttons.fullscreen.addEventListener('click', toggleFullscreen);
  line.addEventListener('pointerdown', (event) => {
    const rect = line.getBoundingClientRect();
    if (run && run.endTick) {
      seekTo(((event.clientX - rect.left) / rect.width) * (run.endTick / ticksPerSecond));
    }
  });

  function keyCode(event) {
    return event.key === 'Escape' ? 27 : event.keyCode || 0;
  }

  function gesture(event) {
    if (phase === 'waiting' || phase === 'ended') {
      event.preventDefault();
      start();
    }
  }

  window.addEventListener('keydown', (event) => {
    const onControl = event.target instanceof HTMLButtonElement || event.target instanceof HTMLInputElement;
    if (event.key === 'Tab' || (onControl && (event.key === ' ' || event.key === 'Enter'))) {
      showBar();
      return;
    }
    if (event.key === 'Escape' && (document.fullscreenElement || performance.now() - leftFullscreenAt < 300)) {
      // Escape leaves fullscreen; the show plays on.
      return;
    }
    const action = actions[event.key];
    if (phase === 'playing' && run.live) {
      event.preventDefault();
      if (action) {
        action();
        showBar();
        return;
      }
      if (event.key === 'Escape') {
        setPaused(false);
      }
      run.program._web_console_key(keyCode(event), 1);
      return;
    }
    if (action === toggleFullscreen) {
      toggleFullscreen();
      return;
    }
    gesture(event);
  });
  window.addEventListener('keyup', (event) => {
    if (phase === 'playing' && run.live && !actions[event.key]) {
      run.program._web_console_key(keyCode(event), 0);
    }
  });

  // A mouse button starts the show as it goes down; a finger or a pen when it lifts, since
  // browsers let a touch start sound only then. Two taps close together toggle fullscreen.
  let lastTap = { at: -1000, x: 0, y: 0 };

  function onBar(event) {
    return bar.contains(event.target);
  }

  window.addEventListener('pointerdown', (event) => {
    showBar();
    if (!onBar(event) && event.pointerType === 'mouse') {
      gesture(event);
    }
  });
  window.addEventListener('pointerup', (event) => {
    if (onBar(event) || event.pointerType === 'mouse') {
      return;
    }
    const now = performance.now();
    const near = Math.hypot(event.clientX - lastTap.x, event.clientY - lastTap.y) < 40;
    if (now - lastTap.at < 350 && near && phase === 'playing') {
      toggleFullscreen();
      lastTap = { at: -1000, x: 0, y: 0 };
      return;
    }
    lastTap = { at: now, x: event.clientX, y: event.clientY };
    gesture(event);
  });
  window.addEventListener('dblclick', (event) => {
    if (!onBar(event) && phase === 'playing') {
      toggleFullscreen();
    }
  });
  window.addEventListener('pointermove', (event) => {
    if (event.pointerType === 'mouse') {
      showBar();
    }
  });
  window.addEventListener('resize', fit);
  window.addEventListener('orientationchange', fit);
  document.addEventListener('fullscreenchange', () => {
    if (!document.fullscreenElement) {
      leftFullscreenAt = performance.now();
    }
    fit();
    updateBar();
  });
  window.addEventListener('hashchange', () => {
    if (phase === 'waiting') {
      drawScreen(startScreen(linkedSeconds()));
    } else if (live()) {
      seekTo(linkedSeconds());
    }
    updateBar();
  });

  window.textshow = { render, start, state };

  fit();
  showBar();
  audioContext = makeAudioContext();
  makeSpareProgram();
  renderAhead();
  newProgram({ present() {}, ended() {}, audio: audioSink(null) }, []).then((program) => {
    screenProgram = program;
    screenProgram.cells = program._malloc(cols * rows * 2);
    const at = program._web_page_palette();
    palette = program.HEAPU8.slice(at, at + 48);
    if (phase === 'loading') {
      phase = 'waiting';
      drawScreen(startScreen(linkedSeconds()));
    }
  });
})();

// The page around the show: it loads the program and the show's files, waits for a
// gesture (browsers start sound only after one), runs the program with Web Audio as its
// sound output and a canvas as its console, and shows a quiet end screen that offers to
// play again. window.textshow is the face it shows to scripts that embed or test it.
'use strict';

(() => {
  const dataFiles = ['soundtrack.avi.txt', 'screen-a.jpg', 'screen-b.jpg'];
  let [cols, rows] = [0, 0]; // the show's grid, as every copy of the program gives it
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
    [cols, rows] = [program._web_page_cols(), program._web_page_rows()];
    for (const [name, bytes] of files) {
      if (names.includes(name)) {
        program.FS.writeFile('/' + name, bytes);
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

  // The largest whole factor that fits the window in device pixels, so every pixel of the
  // picture is a square of the same size; centred, with room for the note when it shows.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const room = note.hidden ? 0 : 28;
    const across = window.innerWidth * ratio;
    const down = (window.innerHeight - room) * ratio;
    const scale = Math.max(1, Math.floor(Math.min(across / width, down / height)));
    const cssWidth = (width * scale) / ratio;
    const cssHeight = (height * scale) / ratio;
    canvas.style.width = `${cssWidth}px`;
    canvas.style.height = `${cssHeight}px`;
    canvas.style.left = `${Math.round(((window.innerWidth - cssWidth) / 2) * ratio) / ratio}px`;
    canvas.style.top = `${Math.round(((window.innerHeight - room - cssHeight) / 2) * ratio) / ratio}px`;
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

  function startScreen() {
    return boxScreen([
      ['textshow', 0x0f],
      ['', 0x07],
      ['click or press a key to start', 0x07],
    ]);
  }

  function endScreen(code) {
    return boxScreen([
      [code === 42 ? 'the show was ended' : 'the end', 0x07],
      ['', 0x07],
      ['click or press a key to play again', 0x08],
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
  // played last is held.
  function audioSink(context) {
    let rate = 44100;
    let next = 0;
    let base = 0;
    let queued = 0;
    let openedAt = 0;
    let refused = context === null;
    let changed = null;
    let played = false;
    let runningSince = null;
    let steps = [];

    function refuse() {
      if (refused) {
        return;
      }
      refused = true;
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
      if (!refused) {
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
        if (refused) {
          showNote(silentLine);
          return;
        }
        changed = whenChanged;
        requestAnimationFrame(watch);
        context.addEventListener('statechange', onChange);
        document.addEventListener('visibilitychange', onChange);
      },
      queue(samples) {
        if (refused) {
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
        next += samples.length / rate;
        queued += samples.length;
      },
      heard() {
        if (refused) {
          return { seconds: 0, atMs: -1, refused: true, held: false };
        }
        const now = performance.now();
        const running = context.state === 'running' && queued > 0;
        if (!running) {
          runningSince = null;
          steps = [];
        } else if (runningSince === null) {
          runningSince = now;
        }
        const heard = played || running ? contextHeard(now, !running) : null;
        if (played) {
          const seconds = Math.max(0, (heard ?? base) - base);
          return { seconds, atMs: now, refused: false, held: !running };
        }
        if (heard === null || heard < base) {
          if (now - openedAt > refuseAfterMs) {
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
      close() {
        changed = null;
        document.removeEventListener('visibilitychange', onChange);
        if (!refused) {
          refused = true;
          context.close().catch(() => {});
        }
      },
    };
  }

  // Starting an audio context takes a while, so the next run's is made ahead of time; a
  // context made outside a gesture waits suspended until the start gesture resumes it.
  let spareContext = null;

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

  // The same for the next run's copy of the program, with the show's files in place: it
  // is fresh, since nothing runs in it until the start, and it is there at once.
  let spareProgram = null;

  function makeSpareProgram() {
    spareProgram = newProgram(null, dataFiles);
    spareProgram.catch(() => {});
  }

  function takeAudioContext() {
    const context = spareContext || makeAudioContext();
    spareContext = null;
    if (context) {
      context.resume().catch(() => {});
    }
    return context;
  }

  async function start() {
    if (phase === 'playing' || phase === 'starting') {
      return;
    }
    const gestureAt = performance.now();
    phase = 'starting';
    endedCode = null;
    showNote('');
    // Made here, inside the gesture, so that the browser lets it play.
    const audio = audioSink(takeAudioContext());
    const current = { program: null, audio, gestureAt, firstPictureMs: null, presents: 0, tick: 0 };
    run = current;
    const page = {
      audio,
      present(cells) {
        current.presents += 1;
        // The first present is the console's empty screen; the second, the show's first frame.
        if (current.presents === 2) {
          current.firstPictureMs = performance.now() - gestureAt;
        }
        draw(current.program, cells);
      },
      ended(code) {
        current.tick = current.program._web_page_tick();
        audio.close();
        spareContext = makeAudioContext();
        makeSpareProgram();
        endedCode = code;
        phase = 'ended';
        drawScreen(endScreen(code));
      },
    };
    const program = spareProgram || newProgram(null, dataFiles);
    spareProgram = null;
    current.program = await program;
    current.program.page = page;
    phase = 'playing';
    current.program.callMain([]);
  }

  // Each call renders in a copy of the program of its own, from the show's beginning.
  async function render(ticks) {
    const program = await newProgram({ present() {}, ended() {}, audio: audioSink(null) }, [
      'screen-a.jpg',
      'screen-b.jpg',
    ]);
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
    const playing = run !== null && phase === 'playing';
    return {
      phase,
      tick: playing ? run.program._web_page_tick() : run ? run.tick : 0,
      heardSeconds: playing ? run.audio.heardNow() : 0,
      ended: phase === 'ended',
      exitCode: endedCode,
      firstPictureMs: run ? run.firstPictureMs : null,
    };
  }

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
    if (phase === 'playing') {
      event.preventDefault();
      run.program._web_console_key(keyCode(event), 1);
      return;
    }
    gesture(event);
  });
  window.addEventListener('keyup', (event) => {
    if (phase === 'playing') {
      run.program._web_console_key(keyCode(event), 0);
    }
  });
  window.addEventListener('pointerdown', gesture);
  window.addEventListener('resize', fit);

  window.textshow = { render, start, state };

  fit();
  spareContext = makeAudioContext();
  makeSpareProgram();
  newProgram({ present() {}, ended() {}, audio: audioSink(null) }, []).then((program) => {
    screenProgram = program;
    screenProgram.cells = program._malloc(cols * rows * 2);
    const at = program._web_page_palette();
    palette = program.HEAPU8.slice(at, at + 48);
    if (phase === 'loading') {
      phase = 'waiting';
      drawScreen(startScreen());
    }
  });
})();

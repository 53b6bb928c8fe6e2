// The page's side of Tarvolen: the canvas and its scale, the DOM's input
// queued for the game to pull, WebAudio pulling the game's mix, the browser's
// decoders, the settings kept in the browser's storage. Runs before the
// game's module starts (emcc --pre-js); the game calls it as Module.page.
'use strict';

Module.page = (() => {
  const kPictureW = 586, kPictureH = 440;
  const stage = document.getElementById('stage');
  const canvas = document.getElementById('game');
  const status = document.getElementById('status');
  const context = canvas.getContext('2d', { alpha: false });
  let scale = 1;

  const page = {
    busy: false,           // the game waits on a decoder: the audio pull plays silence
    queue: [],             // input not yet taken by the game
    waiter: null, timer: null,
    codes: new Map(),      // a key's place (KeyboardEvent.code) as a number
    boxes: new Map(),      // box id -> { element, canvas, context }
    sounds: new Map(), nextSound: 1,   // decoded sounds the game holds
    decoded: new Map(),    // site recordings decoded or being decoded, by address, newest last
    failed: new Set(),     // site recordings that could not be had in this run
    audio: null, audioWanted: false, audioBuffer: 0, audioFrames: 0,
    // What the page's tests read.
    stats: { wakes: 0, presents: 0, firstPaint: -1, presentTimes: [], audioBlocks: 0, audioPeak: 0,
             audioRunning: false, ended: false, settingsKept: 0, errors: [] },
  };

  // ---- input ----
  const push = (event) => {
    page.queue.push(event);
    if (page.waiter) page.waiter(1);
  };
  page.nextInput = (out) => {
    const e = page.queue.shift();
    if (!e) return 0;
    HEAP32.set(e, out >> 2);
    return 1;
  };
  page.waitForInput = (ms) => {
    if (page.queue.length) return Promise.resolve(1);
    return new Promise((resolve) => {
      page.waiter = (v) => {
        if (page.timer !== null) clearTimeout(page.timer);
        page.timer = null;
        page.waiter = null;
        page.stats.wakes++;
        resolve(v);
      };
      if (ms >= 0) page.timer = setTimeout(() => page.waiter(0), ms);
    });
  };
  page.wake = () => { if (page.waiter) page.waiter(1); };

  const placeOf = (code) => {
    if (!page.codes.has(code)) page.codes.set(code, page.codes.size + 1);
    return page.codes.get(code);
  };
  // Keys the browser keeps: reload, fullscreen, developer tools, and any with Ctrl or Meta.
  const browsers = (e) => e.ctrlKey || e.metaKey || ['F5', 'F11', 'F12'].includes(e.key);
  const key = (kind) => (e) => {
    if (page.stats.ended || browsers(e) && kind === 1) return;
    e.preventDefault();
    resumeAudio();
    const flags = (e.altKey ? 1 : 0) | (e.ctrlKey || e.metaKey ? 2 : 0);
    push([kind, 0, e.keyCode | 0, placeOf(e.code), e.repeat ? 1 : 0, flags]);
  };
  window.addEventListener('keydown', key(1));
  window.addEventListener('keyup', key(2));
  window.addEventListener('blur', () => push([6, 0, 0, 0, 0, 0]));

  // The pointer on `element`, in the pixels of its picture (`w` x `h`).
  const pointer = (element, box, w, h) => {
    const at = (kind) => (e) => {
      const r = element.getBoundingClientRect();
      const x = Math.floor((e.clientX - r.left) * w / r.width), y = Math.floor((e.clientY - r.top) * h / r.height);
      if (kind === 4) {
        element.setPointerCapture(e.pointerId);
        element.focus();
        resumeAudio();
      }
      if (kind !== 3) e.preventDefault();
      push([kind, box, x, y, e.button === 1 ? 1 : e.button === 2 ? 2 : 0, 0]);
    };
    element.addEventListener('pointermove', at(3));
    element.addEventListener('pointerdown', at(4));
    element.addEventListener('pointerup', at(5));
    element.addEventListener('contextmenu', (e) => e.preventDefault());
  };
  pointer(canvas, 0, kPictureW, kPictureH);

  // ---- the picture ----
  const fit = () => {
    const full = !!document.fullscreenElement;
    const bar = full ? 0 : 40;
    scale = Math.max(1, Math.floor(Math.min(window.innerWidth / kPictureW, (window.innerHeight - bar) / kPictureH)));
    canvas.style.width = kPictureW * scale + 'px';
    canvas.style.height = kPictureH * scale + 'px';
    for (const b of page.boxes.values()) {
      b.canvas.style.width = b.canvas.width * scale + 'px';
      b.canvas.style.height = b.canvas.height * scale + 'px';
    }
  };
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);
  page.makeCanvas = (w, h) => {
    canvas.width = w;
    canvas.height = h;
    fit();
  };
  page.showCanvas = () => {
    canvas.style.visibility = 'visible';
    status.textContent = '';
    canvas.focus();
  };
  page.setTitle = (title) => { document.title = title.trim() || 'Tarvolen'; };
  // Pixels the game converted to the canvas's bytes (R, G, B, A) in its memory.
  const toImage = (rgba, w, h) => new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4), w, h);
  page.putPixels = (rgba, x, y, w, h) => {
    context.putImageData(toImage(rgba, w, h), x, y);
    const now = performance.now();
    if (page.stats.firstPaint < 0 && canvas.style.visibility === 'visible') page.stats.firstPaint = now;
    page.stats.presents++;
    // One time a picture: its rectangles come together.
    const times = page.stats.presentTimes;
    if (times.length && now - times[times.length - 1] < 1) return;
    times.push(now);
    if (times.length > 4000) times.splice(0, 2000);
  };

  // ---- fullscreen ----
  page.isFullscreen = () => (document.fullscreenElement ? 1 : 0);
  page.switchFullscreen = () => {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
      return 0;
    }
    stage.requestFullscreen().catch(() => {});
    return 1;
  };
  document.getElementById('fullscreen').addEventListener('click', () => {
    page.switchFullscreen();
    canvas.focus();
  });

  // ---- message boxes ----
  page.openBox = (id, caption, w, h) => {
    const element = document.createElement('div');
    element.className = 'box';
    element.dataset.box = String(id);
    const title = document.createElement('div');
    title.className = 'caption';
    title.textContent = caption;
    const c = document.createElement('canvas');
    c.width = w;
    c.height = h;
    element.append(title, c);
    stage.append(element);
    pointer(c, id, w, h);
    page.boxes.set(id, { element, canvas: c, context: c.getContext('2d', { alpha: false }) });
    fit();
  };
  page.drawBox = (id, rgba, w, h) => {
    const b = page.boxes.get(id);
    if (b) b.context.putImageData(toImage(rgba, w, h), 0, 0);
  };
  page.closeBox = (id) => {
    const b = page.boxes.get(id);
    if (b) b.element.remove();
    page.boxes.delete(id);
  };

  // ---- sound ----
  const resumeAudio = () => {
    if (page.audio && page.audioWanted && page.audio.state !== 'running') page.audio.resume().catch(() => {});
  };
  const pull = (e) => {
    const left = e.outputBuffer.getChannelData(0), right = e.outputBuffer.getChannelData(1);
    const n = left.length;
    if (!page.audioWanted || page.busy || page.stats.ended) {
      left.fill(0);
      right.fill(0);
      return;
    }
    if (page.audioFrames < n) {
      if (page.audioBuffer) _free(page.audioBuffer);
      page.audioBuffer = _malloc(n * 8);
      page.audioFrames = n;
    }
    const at = page.audioBuffer >> 2;
    HEAPF32.fill(0, at, at + 2 * n);
    const goOn = _tv_web_audio_pull(page.audioBuffer, n);
    const f = HEAPF32;
    let peak = 0;
    for (let i = 0; i < n; i++) {
      const l = f[at + 2 * i], r = f[at + 2 * i + 1];
      left[i] = l;
      right[i] = r;
      peak = Math.max(peak, Math.abs(l), Math.abs(r));
    }
    page.stats.audioBlocks++;
    page.stats.audioPeak = peak;
    if (!goOn) page.stopAudio();
  };
  // 0 when the browser gives the page no audio at all: the game then runs silent.
  page.startAudio = () => {
    if (!page.audio) {
      try {
        const audio = new AudioContext({ sampleRate: 44100 });
        const node = audio.createScriptProcessor(2048, 0, 2);
        node.onaudioprocess = pull;
        node.connect(audio.destination);
        page.audio = audio;
      } catch (error) {
        console.warn('tarvolen: the browser gives the page no audio: ' + ((error && error.message) || error));
        return 0;
      }
    }
    page.audioWanted = true;
    page.stats.audioRunning = true;
    resumeAudio();
    return 1;
  };
  // Suspended, the browser stops pulling: no CPU while nothing sounds.
  page.stopAudio = () => {
    page.audioWanted = false;
    page.stats.audioRunning = false;
    page.stats.audioPeak = 0;
    if (page.audio) page.audio.suspend().catch(() => {});
  };

  const why = (error, out, max) => { stringToUTF8(String((error && error.message) || error), out, max); };
  const keep = (channels, length) => {
    const handle = page.nextSound++;
    page.sounds.set(handle, { channels, length });
    return handle;
  };
  const decode = async (bytes, rate) => {
    const buffer = await new OfflineAudioContext(1, 1, rate).decodeAudioData(bytes);
    const channels = [];
    for (let c = 0; c < buffer.numberOfChannels; c++) channels.push(buffer.getChannelData(c));
    return { channels, length: buffer.length };
  };
  const answer = (sound, channelsOut, framesOut) => {
    HEAP32[channelsOut >> 2] = sound.channels.length;
    HEAPF64[framesOut >> 3] = sound.length;
    return keep(sound.channels, sound.length);
  };
  page.decodeSound = async (bytes, rate, channelsOut, framesOut, whyOut, whyMax) => {
    try {
      return answer(await decode(bytes, rate), channelsOut, framesOut);
    } catch (e) {
      why(e, whyOut, whyMax);
      return 0;
    }
  };
  // Decoded recordings are kept by address, the newest few: the one playing
  // and the next level's, each tens of megabytes as floats.
  const kKeptRecordings = 3;
  const recording = (url, rate) => {
    let promise = page.decoded.get(url);
    if (promise) {
      page.decoded.delete(url);
    } else {
      promise = fetch(url).then((r) => {
        if (!r.ok) throw new Error('the page has no ' + url + ' (' + r.status + ')');
        return r.arrayBuffer();
      }).then((bytes) => decode(bytes, rate));
      promise.catch(() => page.decoded.delete(url));
    }
    page.decoded.set(url, promise);
    while (page.decoded.size > kKeptRecordings) page.decoded.delete(page.decoded.keys().next().value);
    return promise;
  };
  // A recording's handle at once; its samples when the browser has decoded them.
  page.openSiteSound = (url, rate) => {
    if (page.failed.has(url)) return 0;
    const handle = keep([], -1);
    recording(url, rate).then((sound) => {
      const s = page.sounds.get(handle);
      if (s) Object.assign(s, sound);
    }, (error) => {
      page.failed.add(url);
      console.warn('tarvolen: ' + url + ': ' + ((error && error.message) || error));
      const s = page.sounds.get(handle);
      if (s) s.length = -2;
    });
    return handle;
  };
  page.soundFrames = (handle) => {
    const s = page.sounds.get(handle);
    return s ? s.length : -2;
  };
  page.decodeAhead = (url, rate) => { if (!page.decoded.has(url)) recording(url, rate).catch(() => {}); };
  page.readSound = (handle, from, out, frames, channels) => {
    const s = page.sounds.get(handle);
    if (!s || s.length < 0) return 0;
    const n = Math.max(0, Math.min(frames, s.length - from));
    const f = HEAPF32, at = out >> 2, last = s.channels.length - 1;
    for (let c = 0; c < channels; c++) {
      const src = s.channels[Math.min(c, last)];
      for (let i = 0; i < n; i++) f[at + i * channels + c] = src[from + i];
    }
    return n;
  };
  page.releaseSound = (handle) => { page.sounds.delete(handle); };

  // ---- pictures ----
  page.decodePicture = async (data, size, wOut, hOut, rgbaOut, whyOut, whyMax) => {
    try {
      const blob = new Blob([HEAPU8.slice(data, data + size)]);
      const bitmap = await createImageBitmap(blob, { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
      const c = new OffscreenCanvas(bitmap.width, bitmap.height);
      const g = c.getContext('2d');
      g.drawImage(bitmap, 0, 0);
      const pixels = g.getImageData(0, 0, bitmap.width, bitmap.height).data;
      const p = _malloc(pixels.length);
      HEAPU8.set(pixels, p);
      HEAP32[wOut >> 2] = bitmap.width;
      HEAP32[hOut >> 2] = bitmap.height;
      HEAPU32[rgbaOut >> 2] = p;
      bitmap.close();
      return 1;
    } catch (e) {
      why(e && e.name === 'InvalidStateError' ? 'the browser cannot decode it' : e, whyOut, whyMax);
      return 0;
    }
  };

  // ---- the rest ----
  page.openInNewTab = (url) => { window.open(url, '_blank', 'noopener'); };
  page.keepSettings = () => { FS.syncfs(false, () => { page.stats.settingsKept++; }); };
  // A page cannot close its own tab: it says the game ended and offers it again.
  page.ended = () => {
    page.stats.ended = true;
    page.stopAudio();
    stage.style.display = 'none';
    document.getElementById('bar').style.display = 'none';
    document.getElementById('ended-why').textContent = page.stats.errors.slice(-1)[0] || '';
    document.getElementById('ended').style.display = 'block';
  };
  document.getElementById('again').addEventListener('click', () => location.reload());
  return page;
})();

Module.printErr = (text) => {
  console.warn(text);
  Module.page.stats.errors.push(String(text).replace(/^tarvolen: /, ''));
};
// The settings folder lives in the browser's storage: read back before the game starts.
// Without the browser's storage (a private window may refuse it) the folder
// is the page's memory alone, and the choices last until the page closes.
// The database is opened while the WebAssembly and the files download; its
// files are put in the folder once the game's memory is there (preRun), since
// the page's file system keeps them in it.
Module.preInit = () => {
  FS.mkdir('/settings');
  try {
    FS.mount(IDBFS, {}, '/settings');
  } catch (error) {
    Module.printErr('tarvolen: the browser keeps no settings for the page: ' + ((error && error.message) || error));
    return;
  }
  IDBFS.getDB('/settings', () => {});
  // Beside the loader of the packed files, which is already there.
  (Module.preRun = Module.preRun || []).push(() => {
    addRunDependency('settings');
    FS.syncfs(true, (error) => {
      if (error) Module.printErr('tarvolen: the settings kept by the browser cannot be read: ' + error);
      removeRunDependency('settings');
    });
  });
};
// A test may change the page's files before the game starts (window.tarvolenBeforeStart).
Module.onRuntimeInitialized = () => {
  if (typeof window.tarvolenBeforeStart === 'function') window.tarvolenBeforeStart(FS);
};
Module.onAbort = (what) => {
  Module.page.stats.errors.push('the page stopped: ' + what);
  Module.page.ended();
};

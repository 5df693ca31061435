// The page around the program: a terminal widget that is its console, and a canvas under a
// caption with a close button for each window it opens. ?clock=HH:MM:SS.mmm freezes the
// program's clock at that local time of day, so that a run can be repeated exactly.
'use strict';

const terminal = new Terminal({ cols: 80, rows: 25, scrollback: 1000, cursorBlink: false });
terminal.open(document.getElementById('terminal'));

const windows = new Map();
let lastWindow = 0;

function frozenClock() {
  const text = new URLSearchParams(location.search).get('clock');
  const parts = text && /^(\d\d):(\d\d):(\d\d)(?:\.(\d\d\d))?$/.exec(text);
  if (!parts) return -1;
  return ((+parts[1] * 60 + +parts[2]) * 60 + +parts[3]) * 1000 + +(parts[4] || 0);
}

// Writes lines to the terminal, each ended as the widget ends a line.
function say(lines) {
  terminal.write(lines.join('\r\n') + '\r\n');
}

// The program's threads share memory, which the browser grants only to a page served with the
// two cross-origin isolation headers. serve.py sends them; where the host does not, the page's
// own service worker adds them, and the page loads itself once more under it. The program starts
// only once the page has them.
const programScript = document.currentScript.dataset.program;
const reloadMark = 'tessera-reloaded-for-isolation';

function startProgram() {
  sessionStorage.removeItem(reloadMark);
  const script = document.createElement('script');
  script.src = programScript;
  document.body.append(script);
}

async function isolateAndReload() {
  const worker = navigator.serviceWorker;
  if (!worker || sessionStorage.getItem(reloadMark)) {
    sessionStorage.removeItem(reloadMark);
    say(['Tessera needs the page served with Cross-Origin-Opener-Policy: same-origin and',
      'Cross-Origin-Embedder-Policy: require-corp. This host sends neither, and the',
      'page\'s service worker could not add them: browsers let it only for a page',
      'served over https or from this machine (http://localhost, http://127.0.0.1).']);
    return;
  }
  await worker.register('service_worker.js');
  await worker.ready;
  sessionStorage.setItem(reloadMark, '1');
  location.reload();
}

if (self.crossOriginIsolated) {
  startProgram();
} else if (location.protocol === 'file:') {
  say(['Tessera cannot start from a page opened as a file: a web server must send it.',
    'In this folder, run', '', '    python3 -m http.server 8000', '',
    'and open http://localhost:8000/ (or put the folder on any web server).']);
} else {
  isolateAndReload().catch((error) => say([`Tessera could not set up its service worker: ${error.message}`]));
}

// ?transcript keeps every byte the program writes to its terminal, in order, for tests that
// check the exact output; tesseraTranscript() returns them as a string of byte values.
const written = new URLSearchParams(location.search).has('transcript') ? [] : null;
function tesseraTranscript() {
  let text = '';
  for (const bytes of written) for (const byte of bytes) text += String.fromCharCode(byte);
  return text;
}

var Module = {
  // The program's console: what the program writes, in order, as it comes out of its ring.
  tesseraTerminal: {
    write(bytes) {
      if (written) written.push(bytes);
      terminal.write(bytes);
    },
    rows: () => terminal.rows,
    columns: () => terminal.cols,
  },

  // The program's windows. `close` tells the program the user closed the window.
  tesseraWindows: {
    open(caption, width, height, pixels, frames, close) {
      const id = ++lastWindow;
      const frame = document.createElement('div');
      frame.className = 'window';
      frame.dataset.window = id;
      const header = document.createElement('header');
      const title = document.createElement('span');
      title.textContent = caption;
      const closeButton = document.createElement('button');
      closeButton.textContent = '\u00d7';
      closeButton.title = 'Close';
      closeButton.addEventListener('click', close);
      header.append(title, closeButton);
      const canvas = document.createElement('canvas');
      canvas.width = width;
      canvas.height = height;
      frame.append(header, canvas);
      document.getElementById('windows').append(frame);
      // The canvas is drawn by a worker of its own, so a frame need not wait for this thread.
      const worker = new Worker('canvas_worker.js');
      const offscreen = canvas.transferControlToOffscreen();
      worker.postMessage({ canvas: offscreen, memory: HEAPU8.buffer, pixels, frames, width, height }, [offscreen]);
      // A worker that cannot run leaves the canvas without frames: the window closes as by its
      // button, and the frames asked for are given up.
      worker.onerror = (event) => {
        say([`Tessera could not draw its window: ${event.message}`]);
        close();
        const counts = new Int32Array(HEAPU8.buffer, frames, 2); // asked for, put
        Atomics.store(counts, 1, Atomics.load(counts, 0));
        Atomics.notify(counts, 1);
      };
      windows.set(id, { frame, worker });
      return id;
    },
    // The canvas's pixels, R, G, B, A, row by row, as its worker reads them back.
    pixels(id) {
      const reply = new MessageChannel();
      windows.get(id).worker.postMessage({ reply: reply.port2 }, [reply.port2]);
      return new Promise((resolve) => { reply.port1.onmessage = ({ data }) => resolve(data); });
    },
    activate(id) { windows.get(id).frame.scrollIntoView({ block: 'nearest' }); },
    close(id) {
      windows.get(id).worker.terminate();
      windows.get(id).frame.remove();
      windows.delete(id);
    },
  },

  onRuntimeInitialized() {
    const clock = frozenClock();
    if (clock >= 0) Module._tesseraFreezeClock(clock);
    terminal.onData((text) => Module.typeKeys(text));
    terminal.focus();
  },

  // The program has ended: its windows go with it, and the terminal says how it ended.
  onExit(status) {
    for (const id of [...windows.keys()]) Module.tesseraWindows.close(id);
    terminal.write(`tessera ended with status ${status}\r\n`);
    document.body.dataset.exitStatus = status;
  },
};

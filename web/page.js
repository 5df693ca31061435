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

// The program's threads share memory, which the browser grants only to a page served with the
// two cross-origin isolation headers (web/serve.py sends them).
if (!self.crossOriginIsolated) {
  terminal.write('Tessera needs the page served with Cross-Origin-Opener-Policy: same-origin\r\n' +
    'and Cross-Origin-Embedder-Policy: require-corp, as web/serve.py serves it.\r\n');
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
  // The program's console. Each write is one of the program's writes, whole.
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
    open(caption, width, height, close) {
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
      const context = canvas.getContext('2d');
      const image = context.createImageData(width, height);
      windows.set(id, { frame, context, image, pixels: new Uint32Array(image.data.buffer) });
      return id;
    },
    // The program's pixels are 0x00RRGGBB; the canvas wants the bytes R, G, B, A.
    put(id, source) {
      const window = windows.get(id);
      const pixels = window.pixels;
      for (let i = 0; i < pixels.length; ++i) {
        const v = source[i];
        pixels[i] = 0xff000000 | (v & 0xff) << 16 | (v & 0xff00) | (v >>> 16 & 0xff);
      }
      window.context.putImageData(window.image, 0, 0);
    },
    activate(id) { windows.get(id).frame.scrollIntoView({ block: 'nearest' }); },
    close(id) {
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

// What the browser tests and the speed measurement share: the page's server, headless Chromium
// driven through puppeteer-core (from web/'s pinned packages), pages opened and waited on, the
// terminal widget's screen read back as it shows it and the canvas's pixels.
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import { mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { inflateSync } from 'node:zlib';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const puppeteer = createRequire(path.join(root, 'web/package.json'))('puppeteer-core');

// Serves a folder on 127.0.0.1: with the page's own server in the folder, which sends the headers
// for shared memory, or with `plainHost` Python's static one, which sends no header of its own, as
// any static host does. Resolves to the folder's address and the server's process.
async function serveFolder(folder, plainHost) {
  const serving = plainHost ? ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', folder]
    : [path.join(folder, 'serve.py'), folder, '0'];
  // Python's server logs every request on its standard error.
  const server = spawn('python3', serving, { stdio: ['ignore', 'pipe', plainHost ? 'ignore' : 'inherit'] });
  const address = await new Promise((resolve, reject) => {
    let text = '';
    server.stdout.on('data', (chunk) => {
      text += chunk;
      const shown = /(http:\/\/[\d.:]+\/)/.exec(text);
      if (shown) resolve(shown[1]);
    });
    server.on('exit', (code) => reject(new Error(`the server ended with ${code}`)));
  });
  return { address, server };
}

// Serves the built page's folder (as serveFolder does) and starts the browser; stop() ends both.
export async function startBrowsing(site, { plainHost = false } = {}) {
  const { address, server } = await serveFolder(site, plainHost);
  const profile = mkdtempSync(path.join(tmpdir(), 'tessera-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    userDataDir: profile,
    protocolTimeout: 120000,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  return {
    address,
    browser,
    async stop() {
      await browser.close();
      server.kill();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// What the browser's processes, its own and its children's, have used so far: processor
// milliseconds, and the resident memory they hold now, each page shared between them counted in
// equal parts.
export function browserUse(browser) {
  let processorMs = 0, residentBytes = 0;
  const pending = [browser.process().pid];
  while (pending.length) {
    const pid = pending.pop();
    try {
      // The fields after the command name, which may hold blanks, start at the state (field 3);
      // user and system time are fields 14 and 15, in hundredths of a second.
      const stat = readFileSync(`/proc/${pid}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      processorMs += (Number(fields[11]) + Number(fields[12])) * 10;
      residentBytes += Number(/^Pss:\s+(\d+) kB/m.exec(readFileSync(`/proc/${pid}/smaps_rollup`, 'utf8'))[1]) * 1024;
      // Children are listed by the thread that started them.
      for (const thread of readdirSync(`/proc/${pid}/task`))
        for (const child of readFileSync(`/proc/${pid}/task/${thread}/children`, 'utf8').trim().split(/\s+/))
          if (child) pending.push(Number(child));
    } catch {
      // ended meanwhile
    }
  }
  return { processorMs, residentBytes };
}

// The count on the screen's last line when it shows the counter, or -1.
export const lastCount = (screen) => Number(/(?:^|\n)Iteration: (\d+)$/.exec(screen)?.[1] ?? -1);

// Polls `probe` until `accept` takes its value, which it returns; fails with the last value seen
// after the deadline, generous for a busy machine.
export async function waitUntil(what, probe, accept, deadline = 30000) {
  const end = Date.now() + deadline;
  for (;;) {
    const value = await probe();
    if (accept(value)) return value;
    if (Date.now() > end) throw new Error(`${what}: not within ${deadline} ms; last seen:\n${JSON.stringify(value)}`);
    await new Promise((resolve) => setTimeout(resolve, 25));
  }
}

// A page of its own at `address`, 1400 x 800 at the given device scale, with the errors it
// raises collected. Its terminal's screen is waited on and keys reach the program together, as
// the widget hands on a burst of typing.
export async function openPage(browser, address, { deviceScaleFactor = 1 } = {}) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 800, deviceScaleFactor });
  const errors = [];
  page.on('pageerror', (error) => errors.push(`${error.message} ${error.stack ?? ''}`));
  await page.goto(address);
  const opened = {
    page,
    errors,
    // Read again after a navigation of the page's own (a reload) has replaced the terminal.
    screen: () => terminalScreen(page).catch((error) => {
      if (/context was destroyed|Cannot find context/.test(error.message)) return '';
      throw error;
    }),
    waitForScreen: (accept, what) => waitUntil(what, opened.screen, accept),
    waitForText: (text) => opened.waitForScreen((screen) => screen.includes(text), `the screen shows ${JSON.stringify(text)}`),
    typeTogether: (text) => page.evaluate((keys) => terminal.input(keys, true), text),
  };
  return opened;
}

// The pixels the page's first window holds, as the canvas's worker reads them back: its size,
// caption and pixels as grey levels, row by row, null for a pixel that is not an opaque grey;
// null when no window is open.
export function canvasGreys(page) {
  return page.evaluate(async () => {
    const frame = document.querySelector('.window');
    if (!frame) return null;
    const canvas = frame.querySelector('canvas');
    const data = await Module.tesseraWindows.pixels(Number(frame.dataset.window));
    const greys = [];
    for (let i = 0; i < data.length; i += 4)
      greys.push(data[i] === data[i + 1] && data[i] === data[i + 2] && data[i + 3] === 255 ? data[i] : null);
    return { width: canvas.width, height: canvas.height, caption: frame.querySelector('header span').textContent, greys };
  });
}

// The terminal's screen as a person sees it: its lines without trailing blanks.
export function terminalScreen(page) {
  return page.evaluate(() => {
    // Before the page's script has made it, a freshly loaded page has no terminal yet (the
    // name is the terminal's element's then).
    if (typeof terminal === 'undefined' || !terminal.buffer) return '';
    const buffer = terminal.buffer.active;
    const lines = [];
    for (let i = 0; i < buffer.length; ++i) lines.push(buffer.getLine(i).translateToString(true).trimEnd());
    return lines.join('\n').replace(/\n+$/, '');
  });
}

// The pixels of a PNG image as puppeteer's screenshots write it (8 bits a channel, RGB or RGBA,
// not interlaced): its size and its pixels' R, G, B, A, row by row.
export function decodePng(png) {
  const width = png.readUInt32BE(16), height = png.readUInt32BE(20);
  const [depth, colour, , , interlace] = png.subarray(24, 29);
  const channels = { 2: 3, 6: 4 }[colour];
  if (depth !== 8 || !channels || interlace !== 0) throw new Error(`a PNG image this does not read: ${depth}, ${colour}, ${interlace}`);
  const chunks = [];
  for (let at = 8; at < png.length; at += png.readUInt32BE(at) + 12)
    if (png.toString('latin1', at + 4, at + 8) === 'IDAT') chunks.push(png.subarray(at + 8, at + 8 + png.readUInt32BE(at)));
  const filtered = inflateSync(Buffer.concat(chunks));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  // Each row is filtered against the one above it, byte by byte from the pixel to its left.
  for (let y = 0; y < height; ++y) {
    const filter = filtered[y * (stride + 1)];
    for (let x = 0; x < stride; ++x) {
      const raw = filtered[y * (stride + 1) + 1 + x];
      const left = x >= channels ? rows[y * stride + x - channels] : 0;
      const up = y > 0 ? rows[(y - 1) * stride + x] : 0;
      const upLeft = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
      const paeth = () => {
        const p = left + up - upLeft;
        const [a, b, c] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - upLeft)];
        return a <= b && a <= c ? left : b <= c ? up : upLeft;
      };
      const predicted = [0, left, up, (left + up) >> 1, filter === 4 ? paeth() : 0][filter];
      rows[y * stride + x] = (raw + predicted) & 0xff;
    }
  }
  const rgba = Buffer.alloc(width * height * 4, 255);
  for (let k = 0; k < width * height; ++k) rows.copy(rgba, k * 4, k * channels, k * channels + channels);
  return { width, height, rgba };
}

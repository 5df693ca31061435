// What the browser tests and the speed measurement share: the page's server, headless Chromium
// driven through puppeteer-core (from web/'s pinned packages), pages opened and waited on, the
// terminal widget's screen read back as it shows it and the canvas's pixels.
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import { mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const puppeteer = createRequire(path.join(root, 'web/package.json'))('puppeteer-core');

// Serves a folder on 127.0.0.1 with the page's own server in the folder, which sends the headers
// for shared memory. Resolves to the folder's address and the server's process.
async function serveFolder(folder) {
  const server = spawn('python3', [path.join(folder, 'serve.py'), folder, '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
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
export async function startBrowsing(site) {
  const { address, server } = await serveFolder(site);
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
    screen: () => terminalScreen(page),
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
    const buffer = terminal.buffer.active;
    const lines = [];
    for (let i = 0; i < buffer.length; ++i) lines.push(buffer.getLine(i).translateToString(true).trimEnd());
    return lines.join('\n').replace(/\n+$/, '');
  });
}

// What the browser tests and the speed measurement share: the page's server, headless Chromium
// driven through puppeteer-core (from web/'s pinned packages), and the terminal widget's screen
// read back as it shows it.
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const puppeteer = createRequire(path.join(root, 'web/package.json'))('puppeteer-core');

// Serves a folder on 127.0.0.1 with the page's server (by default the copy in the folder) and the
// headers it sends; resolves to the folder's address and the server's process.
export async function serveFolder(folder, serverScript = path.join(folder, 'serve.py')) {
  const server = spawn('python3', [serverScript, folder, '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
  const address = await new Promise((resolve, reject) => {
    let text = '';
    server.stdout.on('data', (chunk) => {
      text += chunk;
      if (text.includes('\n')) resolve(text.trim());
    });
    server.on('exit', (code) => reject(new Error(`the server ended with ${code}`)));
  });
  return { address, server };
}

// The page's server as the source tree has it, for folders that are not the page's.
export const pageServer = path.join(root, 'web/serve.py');

// Serves the built page's folder on 127.0.0.1 and starts the browser; stop() ends both.
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

// The terminal's screen as a person sees it: its lines without trailing blanks.
export function terminalScreen(page) {
  return page.evaluate(() => {
    const buffer = terminal.buffer.active;
    const lines = [];
    for (let i = 0; i < buffer.length; ++i) lines.push(buffer.getLine(i).translateToString(true).trimEnd());
    return lines.join('\n').replace(/\n+$/, '');
  });
}

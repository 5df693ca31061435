// Generations per second of the browser build at 600 x 600 in headless Chromium, in the cases
// and the format of tessera_e2e_speed: "Iteration: N" read from the terminal widget twice a known
// time apart, the canvas redrawn every generation. Beside each case, the program's step alone
// on one thread and on the pool, from the browser build's tessera_step_speed run in a page of its
// own in the same browser.
// Usage: node bench/web_speed.mjs WEB_BUILD [milliseconds per measurement]
// WEB_BUILD is a tree built by scripts/build-web.sh, with its tessera_step_speed target built.
import { existsSync } from 'node:fs';
import path from 'node:path';

import { pageServer, serveFolder, startBrowsing, terminalScreen } from '../tests/support/web_page.mjs';

const [webBuild, spanText] = process.argv.slice(2);
const site = path.join(webBuild, 'site');
const stepFolder = path.join(webBuild, 'bench');
const span = Number(spanText ?? 3000);
const busyRule = '4/58596061626364656667686970717273/121314151617181920212223242526272829303132333435363738\r';
const cases = [
  ['black/white 1/23/3', '600\r600\r1\r1/23/3\r'],
  ['black/white Size 4 busy rule', `600\r600\r1\r${busyRule}`],
  ['grey speed 16 Size 4 busy rule', `600\r600\r2\r16\r${busyRule}`],
];
const rounds = 2;
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function waitForText(page, text) {
  for (const end = Date.now() + 30000; Date.now() < end; await sleep(25))
    if ((await terminalScreen(page)).includes(text)) return true;
  return false;
}

async function reading(page) {
  const shown = await terminalScreen(page);
  const numbers = [...shown.matchAll(/Iteration: (\d+)/g)];
  return { iteration: numbers.length ? Number(numbers.at(-1)[1]) : 0, at: performance.now() };
}

async function measure(browsing, answers) {
  const page = await browsing.browser.newPage();
  try {
    await page.goto(browsing.address);
    if (!(await waitForText(page, 'World width'))) return null;
    await page.evaluate((keys) => terminal.input(keys, true), answers);
    if (!(await waitForText(page, 'Iteration: '))) return null;
    await sleep(500); // warm-up: the first fill, the worker pool
    const first = await reading(page);
    await sleep(span);
    const second = await reading(page);
    await page.evaluate(() => terminal.input('q', true));
    return (second.iteration - first.iteration) / ((second.at - first.at) / 1000);
  } finally {
    await page.close();
  }
}

// The step bench's lines, as it prints them, once it has ended (it takes some seconds a case).
async function stepAlone(browser) {
  if (!existsSync(path.join(stepFolder, 'tessera_step_speed.js'))) return null;
  const { address, server } = await serveFolder(stepFolder, pageServer);
  const page = await browser.newPage();
  try {
    await page.goto(`${address}step_speed.html`);
    await page.waitForFunction(() => document.body.dataset.exitStatus !== undefined,
      { timeout: 600000, polling: 250 });
    const [status, text] = await page.evaluate(() =>
      [document.body.dataset.exitStatus, document.getElementById('output').textContent]);
    return status === '0' ? text.split('\n').filter((line) => line !== '') : null;
  } finally {
    await page.close();
    server.kill();
  }
}

const browsing = await startBrowsing(site);
let failures = 0;
try {
  const stepLines = await stepAlone(browsing.browser);
  if (stepLines === null) {
    console.log(`the step bench did not run: cmake --build ${webBuild} --target tessera_step_speed builds it`);
    ++failures;
  }
  for (const [name, answers] of cases) {
    for (const line of stepLines ?? []) if (line.startsWith(`${name} `)) console.log(line);
    for (let round = 0; round < rounds; ++round) {
      const rate = await measure(browsing, answers);
      const label = `${name.padEnd(32)} ${'headless Chromium'.padEnd(40)} `;
      if (rate === null) {
        console.log(`${label}did not start`);
        ++failures;
      } else {
        console.log(`${label}${rate.toFixed(0).padStart(8)} generations/s (${(1000 / rate).toFixed(3)} ms per generation)`);
      }
    }
  }
} finally {
  await browsing.stop();
}
process.exitCode = failures === 0 ? 0 : 1;

// Generations per second of the browser build at 600 x 600 in headless Chromium, in the cases
// and the format of tessera_e2e_speed: "Iteration: N" read from the terminal widget twice a known
// time apart, the canvas redrawn every generation.
// Usage: node bench/web_speed.mjs SITE [milliseconds per measurement]
import { startBrowsing, terminalScreen } from '../tests/support/web_page.mjs';

const [site, spanText] = process.argv.slice(2);
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

const browsing = await startBrowsing(site);
let failures = 0;
try {
  for (const [name, answers] of cases) {
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

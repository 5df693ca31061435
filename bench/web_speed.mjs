// The browser build's speed at 600 x 600 in headless Chromium, in the cases and the format of
// tessera_e2e_speed, beside what the page itself allows, all measured in the same page and run:
// - the program: "Iteration: N" read from the terminal widget twice a known time apart, the canvas
//   redrawn every generation;
// - the floor (tessera_page_floor, loaded in the page in place of the program): a fresh plane
//   converted to pixels and put into the canvas synchronously, nothing else, with the case's cells
//   (one byte for black and white, two for grey), and each hand-over
//   a generation makes alone: the frame, the counter, the key poll;
// - the step alone (tessera_step_speed, when the web build has it): the engine's step on the
//   pool of workers, no page around it.
// The program's figure is then given as a percentage of the pace its slower half allows: the
// floor's frames a second or the step's generations a second, whichever is lower. Each figure is
// the median of the rounds, which take turns so that a busy machine slows them alike.
// Usage: node bench/web_speed.mjs WEB_BUILD [milliseconds per measurement] [--rounds=N]
//          [--native=FILE]
// WEB_BUILD is the tree scripts/build-web.sh built, with its targets tessera_page_floor (and
// tessera_step_speed) built too. FILE holds tessera_e2e_speed's output, whose medians give the
// native program's figures beside the page's.
import { copyFileSync, cpSync, existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';

import { browserUse, openPage, startBrowsing, waitUntil } from '../tests/support/web_page.mjs';

const options = process.argv.slice(2).filter((a) => a.startsWith('--'));
const [tree, spanText] = process.argv.slice(2).filter((a) => !a.startsWith('--'));
const option = (name) => options.find((o) => o.startsWith(`--${name}=`))?.slice(name.length + 3);
const span = Number(spanText ?? 3000);
const rounds = Number(option('rounds') ?? 3);
const busyRule = '4/58596061626364656667686970717273/121314151617181920212223242526272829303132333435363738\r';
// Each case with its answers and its floor: the black and white rules' cells are one byte, the
// grey rules' two.
const cases = [
  ['black/white 1/23/3', '600\r600\r1\r1/23/3\r', 'floor'],
  ['black/white Size 4 busy rule', `600\r600\r1\r${busyRule}`, 'floor'],
  ['grey speed 16 Size 4 busy rule', `600\r600\r2\r16\r${busyRule}`, 'floor of two-byte cells'],
];
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
// Long enough for the step alone's runs on a busy machine.
const deadline = 300000;

// The page's folder with the measuring modules beside the program's files: the floor in a copy
// of the program's page, the step alone in its own.
function measuringSite() {
  const site = mkdtempSync(path.join(tmpdir(), 'tessera-web-speed-'));
  cpSync(path.join(tree, 'site'), site, { recursive: true });
  const copyModule = (name) => {
    for (const suffix of ['.js', '.wasm', '.worker.js'])
      copyFileSync(path.join(tree, 'bench', name + suffix), path.join(site, name + suffix));
  };
  copyModule('tessera_page_floor');
  const page = readFileSync(path.join(site, 'index.html'), 'utf8');
  writeFileSync(path.join(site, 'floor.html'), page.replace('data-program="tessera.js"', 'data-program="tessera_page_floor.js"'));
  const stepAlone = existsSync(path.join(tree, 'bench', 'tessera_step_speed.js'));
  if (stepAlone) {
    copyModule('tessera_step_speed');
    copyFileSync(path.join(tree, 'bench', 'step_speed.html'), path.join(site, 'step_speed.html'));
  }
  return { site, stepAlone };
}

async function reading(opened, browsing) {
  const numbers = [...(await opened.screen()).matchAll(/Iteration: (\d+)/g)];
  return { iteration: numbers.length ? Number(numbers.at(-1)[1]) : 0, at: performance.now(), ...browserUse(browsing.browser) };
}

// Runs `use` on the page `file` of the site, which must raise no error meanwhile.
async function inPage(browsing, file, use) {
  const opened = await openPage(browsing.browser, browsing.address + file);
  try {
    const result = await use(opened);
    if (opened.errors.length) throw new Error(`${file}: ${opened.errors.join('; ')}`);
    return result;
  } finally {
    await opened.page.close();
  }
}

// The whole program's generations a second, the browser's processor milliseconds for each and
// its memory as it runs (resident, each page its processes share counted in equal parts).
function programRate(browsing, answers) {
  return inPage(browsing, '', async (opened) => {
    await opened.waitForText('World width');
    await opened.typeTogether(answers);
    await opened.waitForText('Iteration: ');
    await sleep(500); // warm-up: the first fill, the worker pool
    const first = await reading(opened, browsing);
    await sleep(span);
    const second = await reading(opened, browsing);
    await opened.typeTogether('q');
    const generations = second.iteration - first.iteration;
    return {
      rate: generations / ((second.at - first.at) / 1000),
      processorMs: (second.processorMs - first.processorMs) / generations,
      residentMB: second.residentBytes / 2 ** 20,
    };
  });
}

// The floor's lines "NAME: VALUE UNIT", as a map from name to value.
function floorFigures(browsing) {
  return inPage(browsing, 'floor.html', async (opened) => {
    const shown = await waitUntil('the floor', opened.screen, (screen) => screen.includes('\ndone'), deadline);
    return new Map([...shown.matchAll(/^([a-z -]+): ([\d.]+) /gm)].map(([, name, value]) => [name, Number(value)]));
  });
}

// The step alone on the pool in each case, in milliseconds: the line with the most threads.
function stepAloneFigures(browsing) {
  return inPage(browsing, 'step_speed.html', async ({ page }) => {
    await waitUntil('the step alone', () => page.evaluate(() => document.body.dataset.exitStatus), (s) => s !== undefined, deadline);
    const text = await page.evaluate(() => document.getElementById('output').textContent);
    const figures = new Map();
    for (const [name] of cases) {
      let most = 0;
      for (const line of text.split('\n').filter((l) => l.startsWith(name))) {
        const threads = Number(/(\d+) threads?/.exec(line)?.[1] ?? 0);
        const ms = Number(/([\d.]+) ms per step/.exec(line)?.[1]);
        if (threads >= most && ms > 0) {
          most = threads;
          figures.set(name, ms);
        }
      }
    }
    return figures;
  });
}

// The native program's median generations a second per case, from tessera_e2e_speed's output.
function nativeRates(file) {
  const rates = new Map();
  if (!file) return rates;
  const text = readFileSync(file, 'utf8');
  const medians = text.slice(text.indexOf('medians of'));
  for (const [name] of cases) {
    const line = medians.split('\n').find((l) => l.startsWith(name) && / build\/app\/tessera /.test(l));
    if (line) rates.set(name, Number(line.slice(73).trim().split(/\s+/)[0]));
  }
  return rates;
}

const { site, stepAlone } = measuringSite();
const browsing = await startBrowsing(site);
const samples = new Map();
const sample = (key, value) => samples.set(key, [...(samples.get(key) ?? []), value]);
try {
  for (let round = 1; round <= rounds; ++round) {
    for (const [name, value] of await floorFigures(browsing)) sample(name, value);
    if (stepAlone) for (const [name, ms] of await stepAloneFigures(browsing)) sample(`step ${name}`, ms);
    for (const [name, answers] of cases) {
      const { rate, processorMs, residentMB } = await programRate(browsing, answers);
      sample(name, rate);
      sample(`cpu ${name}`, processorMs);
      sample(`resident ${name}`, residentMB);
      console.log(`round ${round}: ${name.padEnd(32)} ${rate.toFixed(0).padStart(6)} generations/s ` +
        `${processorMs.toFixed(3)} browser cpu ms/gen ${residentMB.toFixed(0)} MB`);
    }
  }
} finally {
  await browsing.stop();
  rmSync(site, { recursive: true, force: true });
}

const figure = (key) => (samples.has(key) ? median(samples.get(key)) : null);
const fixed = (value, digits) => (value === null ? '-' : value.toFixed(digits));
// A line of right-aligned columns after a name.
const line = (name, widths, cells) => console.log(name.padEnd(32) + cells.map((cell, k) => ` ${cell.padStart(widths[k])}`).join(''));
console.log(`\nheadless Chromium, medians of ${rounds} rounds`);
for (const name of ['floor', 'floor of two-byte cells'])
  line(name, [9, 0], [fixed(figure(name), 0), `frames/s, convert + put (${fixed(1000 / figure(name), 3)} ms a frame)`]);
for (const name of ['conversion', 'conversion of two-byte cells', 'frame hand-over', 'counter hand-over', 'key poll hand-over'])
  line(name, [9, 0], [fixed(figure(name), 4), 'ms']);
const native = nativeRates(option('native'));
const widths = [13, 8, 10, 8, 13, 7, 9, 9];
console.log();
line('case', widths, ['generations/s', 'ms/gen', 'cpu ms/gen', 'step ms', 'slower half/s', '% of it', 'native/s', 'memory MB']);
for (const [name, , floor] of cases) {
  const rate = figure(name);
  const stepMs = figure(`step ${name}`);
  // The step alone, when measured, may be the slower half.
  const allowed = stepMs === null ? figure(floor) : Math.min(figure(floor), 1000 / stepMs);
  line(name, widths, [fixed(rate, 0), fixed(1000 / rate, 3), fixed(figure(`cpu ${name}`), 3), fixed(stepMs, 3),
    fixed(allowed, 0), fixed(100 * rate / allowed, 1), fixed(native.get(name) ?? null, 0), fixed(figure(`resident ${name}`), 0)]);
}
if (!stepAlone) console.log('(the web build has no tessera_step_speed: the slower half is the floor alone)');

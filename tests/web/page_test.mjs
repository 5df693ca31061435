// The page as a desktop program is held: on a host that sends no header of its own, opened as a
// file, hidden and shown again, reloaded, in two tabs, on a screen of twice the density, with a
// long answer pasted, and under minutes of random keys with its memory flat. No test may leave an
// error on a page.
//   node --test tests/web/page_test.mjs   with TESSERA_WEB_SITE (the built page's folder) in the
//   environment; TESSERA_WEB_SOAK_SECONDS sets the random keys' span (60 by default).
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';

import { browserUse, canvasGreys, decodePng, lastCount, openPage, startBrowsing, waitUntil } from '../support/web_page.mjs';

const site = process.env.TESSERA_WEB_SITE;
const soakSeconds = Number(process.env.TESSERA_WEB_SOAK_SECONDS ?? 60);
const frozenClock = '12:00:00.000';

let browsing;

before(async () => {
  browsing = await startBrowsing(site);
});

after(async () => {
  if (browsing) await browsing.stop();
});

// Whether the rule's prompt stands below the last counter: n was acted on, and no rule is in yet.
const atRulePrompt = (screen) => screen.lastIndexOf('\n -->') > screen.lastIndexOf('Iteration: ');

// The program in a page of its own at its first prompt.
async function openProgram(serving = browsing, options = {}) {
  const program = await openPage(serving.browser, `${serving.address}?clock=${frozenClock}`, options);
  await program.waitForText('World width (10 - 600) -->');
  return program;
}

// Waits until the counter has gone past where it stands now, and returns where it got to.
async function countsOn(program) {
  const now = lastCount(await program.screen());
  return lastCount(await program.waitForScreen((s) => lastCount(s) > now, `the counter past ${now}`));
}

// q ends a running program; in single-step mode the space releases the wait and q is polled.
async function quit(program) {
  await program.typeTogether(' q');
  await program.waitForText('tessera ended with status 0');
}

// Another tab in front hides the program's page for two seconds, as a person switching tabs.
async function hideForAWhile(program) {
  const other = await program.page.browser().newPage();
  await other.bringToFront();
  await waitUntil('the page is hidden', () => program.page.evaluate(() => document.visibilityState), (s) => s === 'hidden');
  await new Promise((resolve) => setTimeout(resolve, 2000));
  await program.page.bringToFront();
  await other.close();
}

// Every test ends here: no error on the page.
async function close(program) {
  assert.deepEqual(program.errors, []);
  await program.page.close();
}

describe('the page', () => {
  test('served with no header of its own, it takes them from its service worker and runs', async () => {
    const plain = await startBrowsing(site, { plainHost: true });
    try {
      const answer = await fetch(`${plain.address}index.html`);
      assert.equal(answer.headers.get('cross-origin-embedder-policy'), null, 'the host sends no isolation header');
      const program = await openProgram(plain);
      assert.equal(await program.page.evaluate(() => self.crossOriginIsolated), true);
      await program.typeTogether(`20\r30\r1\r1/23/3\r`);
      await countsOn(program);
      const shown = await canvasGreys(program.page);
      assert.deepEqual([shown.width, shown.height], [20, 30]);
      assert.ok(shown.greys.every((grey) => grey === 0 || grey === 255), 'black and white cells');
      await quit(program);
      await close(program);
    } finally {
      await plain.stop();
    }
  });

  test('opened as a file, it says how to serve it', async () => {
    const page = await openPage(browsing.browser, `file://${path.resolve(site, 'index.html')}`);
    await page.waitForText('python3 -m http.server 8000');
    assert.match(await page.screen(), /^Tessera cannot start from a page opened as a file/);
    await close(page);
  });

  test('hidden, it may pause; shown again, it goes on with the keys typed before', async () => {
    const program = await openProgram();
    await program.typeTogether('60\r2');
    await program.waitForText('World height (10 - 600) -->2');
    await hideForAWhile(program);
    await program.typeTogether(`0\r1\r1/23/3\r`);
    await countsOn(program);
    // Hidden while it runs, with an x typed just before: shown again, it has drawn the rule.
    await program.typeTogether('x');
    await hideForAWhile(program);
    await program.waitForText('New rule: 1/');
    await countsOn(program);
    const shown = await canvasGreys(program.page);
    assert.deepEqual([shown.width, shown.height], [60, 20]);
    await quit(program);
    await close(program);
  });

  test('a pasted answer of 5,000 characters arrives whole within a second', async () => {
    const program = await openProgram();
    const answer = Array.from({ length: 5000 }, (_, k) => String(k % 7)).join('');
    const milliseconds = await program.page.evaluate(async (text) => {
      const start = performance.now();
      terminal.paste(text);
      // The echo is whole once the screen's last lines end in the answer's end.
      const buffer = terminal.buffer.active;
      const lastLines = () => {
        let shown = '';
        for (let line = Math.max(0, buffer.length - 10); line < buffer.length; ++line)
          shown += buffer.getLine(line).translateToString(true);
        return shown;
      };
      while (!lastLines().endsWith(text.slice(-400))) await new Promise((resolve) => setTimeout(resolve, 5));
      return performance.now() - start;
    }, answer);
    assert.ok(milliseconds < 1000, `the echo took ${milliseconds} ms`);
    const screen = (await program.screen()).replace(/\n/g, '');
    assert.ok(screen.endsWith(`World width (10 - 600) -->${answer}`), 'every character echoed, in order');
    // A number too large for the width's integer is stored as the most negative one, which
    // gives the width for answers below 10.
    await program.typeTogether('\r10\r1\r1/23/3\r');
    await countsOn(program);
    assert.equal((await canvasGreys(program.page)).width, 100);
    await quit(program);
    await close(program);
  });

  test('reloaded while it runs, it starts afresh', async () => {
    const program = await openProgram();
    await program.typeTogether(`30\r20\r1\r1/23/3\r`);
    await countsOn(program);
    await program.page.reload();
    await program.waitForText('World width (10 - 600) -->');
    assert.equal(await canvasGreys(program.page), null, 'no window before the dialogue asks for one');
    assert.equal((await program.screen()).split('Tessera //').length, 2, 'the greeting once');
    await program.typeTogether(`12\r14\r1\r1/23/3\r`);
    await countsOn(program);
    const shown = await canvasGreys(program.page);
    assert.deepEqual([shown.width, shown.height], [12, 14]);
    assert.equal(await program.page.evaluate(() => document.querySelectorAll('.window').length), 1);
    await quit(program);
    await close(program);
  });

  test('two tabs run independently', async () => {
    const first = await openProgram();
    const second = await openProgram();
    await first.typeTogether(`20\r10\r1\r1/23/3\r`);
    await second.typeTogether('10\r30\r2\r16\r1/23/3\r');
    await Promise.all([countsOn(first), countsOn(second)]);
    assert.deepEqual([(await canvasGreys(first.page)).width, (await canvasGreys(second.page)).width], [20, 10]);
    await quit(first);
    // The other goes on alone.
    await countsOn(second);
    await countsOn(second);
    assert.match(await second.screen(), /Iteration: \d+$/);
    await quit(second);
    await close(first);
    await close(second);
  });

  test('on a screen of twice the density each cell is a crisp block of 2 x 2 device pixels', async () => {
    const program = await openProgram(browsing, { deviceScaleFactor: 2 });
    // Single-stepping holds one generation on the canvas.
    await program.typeTogether(`40\r30\r2\r16\r1/23/3\rs`);
    await program.waitForScreen((s) => lastCount(s) === 1, 'the first generation');
    const drawn = await waitUntil('the canvas holds the reset fill', () => canvasGreys(program.page),
      (c) => c && c.greys.every((grey) => grey !== null) && new Set(c.greys).size > 2);
    const canvas = await program.page.$('.window canvas');
    const box = await canvas.boundingBox();
    assert.deepEqual([box.width, box.height], [40, 30], 'one CSS pixel a cell');
    // What the screen shows, once the browser has presented the frame.
    const shot = await waitUntil('the screen shows the frame, each cell 2 x 2', async () => decodePng(await canvas.screenshot()),
      (image) => image.width === 80 && image.height === 60 && drawn.greys.every((grey, cell) => {
        const x = 2 * (cell % 40), y = 2 * Math.floor(cell / 40);
        return [[0, 0], [1, 0], [0, 1], [1, 1]].every(([dx, dy]) => {
          const at = ((y + dy) * 80 + x + dx) * 4;
          return image.rgba[at] === grey && image.rgba[at + 1] === grey && image.rgba[at + 2] === grey;
        });
      }));
    assert.equal(shot.width, 80);
    await quit(program);
    await close(program);
  });

  test(`${soakSeconds} s of random keys leave the memory flat`, { timeout: (soakSeconds + 180) * 1000 }, async (t) => {
    const program = await openProgram();
    await program.typeTogether(`600\r600\r1\r4/58596061626364656667686970717273/121314151617181920212223242526272829303132333435363738\r`);
    await countsOn(program);
    const session = await program.page.createCDPSession();
    const rules = ['1/23/3', '4/5859606162/1213141516', '2/456/34', '3/1234/345'];
    const keys = '0123456789snrx';
    // Memory after a collection: the page's JavaScript heap, its workers', the program's memory
    // and the page's processes' resident memory.
    const memory = async () => {
      await session.send('HeapProfiler.collectGarbage');
      const { usedSize } = await session.send('Runtime.getHeapUsage');
      return {
        javaScript: usedSize,
        wasm: await program.page.evaluate(() => HEAPU8.length),
        resident: browserUse(browsing.browser).residentBytes,
      };
    };
    const samples = [];
    const start = Date.now();
    let nextSample = start;
    let typed = 0;
    while (Date.now() - start < soakSeconds * 1000) {
      const screen = await program.screen();
      // n leaves the program at the rule's prompt, where the keys typed since join the answer;
      // the rule ends it.
      if (atRulePrompt(screen)) await program.typeTogether(`${rules[typed % rules.length]}\r`);
      else await program.typeTogether(keys[Math.floor(Math.random() * keys.length)]);
      ++typed;
      if (Date.now() >= nextSample) {
        samples.push(await memory());
        nextSample += soakSeconds * 100; // ten samples
      }
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    samples.push(await memory());
    const mb = (bytes) => (bytes / 2 ** 20).toFixed(1);
    t.diagnostic(`${typed} keys in ${soakSeconds} s; JavaScript heap, wasm memory, resident MB by sample: ` +
      samples.map((s) => `${mb(s.javaScript)}/${mb(s.wasm)}/${mb(s.resident)}`).join(' '));
    // Flat: after the first third, which fills the terminal's scrollback and the caches, nothing
    // grows beyond the noise of a collection.
    const settled = samples[Math.floor(samples.length / 3)];
    const last = samples.at(-1);
    assert.ok(last.javaScript <= settled.javaScript + 4 * 2 ** 20, `JavaScript heap ${mb(settled.javaScript)} -> ${mb(last.javaScript)} MB`);
    assert.equal(last.wasm, samples[0].wasm, 'the wasm memory never grows');
    assert.ok(last.resident <= settled.resident + 32 * 2 ** 20, `resident ${mb(settled.resident)} -> ${mb(last.resident)} MB`);
    // It still answers: wherever the keys left it, a rule ends the prompt, and a space ends a
    // single-step wait for the q behind it.
    await waitUntil('the program ends', async () => {
      const screen = await program.screen();
      if (!screen.includes('tessera ended')) await program.typeTogether(atRulePrompt(screen) ? '1/23/3\r' : ' q');
      return screen.slice(-300);
    }, (screen) => screen.includes('tessera ended with status 0'));
    await close(program);
  });
});

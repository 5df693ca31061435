// The browser build in headless Chromium, driven as a person would: keys typed into the page's
// terminal widget, the widget's screen read back as it shows it, the canvas's pixels read back
// and compared with the frames the engine computes natively from the same frozen seed.
//   node --test tests/web/program_test.mjs   with TESSERA_WEB_SITE (the built page's folder) and
//   TESSERA_EXPECTED_FRAMES (the native expected_frames program) in the environment.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';

import { canvasGreys, lastCount, startBrowsing, terminalScreen, waitUntil } from '../support/web_page.mjs';

const site = process.env.TESSERA_WEB_SITE;
const expectedFramesProgram = process.env.TESSERA_EXPECTED_FRAMES;
const frozenClock = '12:00:00.000';

const legend = 'GO!\nR = Reset [also - 0-9 for % fill]\nN = New Rules\nX = Random Rules\nQ = Quit\nS = Step On/Off';
const ruleExamples = 'Conway rulesubset (Size/Survive/Born) -- examples:\n1/23/3 - Game of Life\n' +
  '1/23/36 - Highlife\n1/34/34 - 34 Life\n1/5/345 - Long Life\n1/1358/357 - Amoeba\n' +
  '1/235678/378 - Coagulations\n1/5678/35678 - Diamoebas';
const greeting = 'Tessera // https://tessera.example.org\nIldrith\'s cellular automata toy';
const modeMenu = 'Rule set:\n[1.] Conway-Style [B/W]\n 2.  Shades of Grey\n  -->';

let browsing;

before(async () => {
  browsing = await startBrowsing(site);
});

after(async () => {
  if (browsing) await browsing.stop();
});

// The program in a page of its own, with the clock frozen, at its first prompt; `options` are
// the page's further query parameters.
async function openProgram(options = '') {
  const page = await browsing.browser.newPage();
  await page.setViewport({ width: 1400, height: 800 });
  const errors = [];
  page.on('pageerror', (error) => errors.push(`${error.message} ${error.stack ?? ''}`));
  await page.goto(`${browsing.address}?clock=${frozenClock}${options}`);
  const program = {
    page,
    errors,
    screen: () => terminalScreen(page),
    waitForScreen(accept, what) { return waitUntil(what, program.screen, accept); },
    waitForText(text) { return program.waitForScreen((screen) => screen.includes(text), `the screen shows ${JSON.stringify(text)}`); },
    // Keys as typed on the page's keyboard into the focused terminal, one after another.
    type: (text) => page.keyboard.type(text),
    // Keys that reach the program together, as the widget hands on a burst of typing.
    typeTogether: (text) => page.evaluate((keys) => terminal.input(keys, true), text),
    // In single-step mode a key typed before the program sleeps for one would be taken by the
    // generation's own poll instead of ending the wait; the key behind it is for that poll.
    async stepWith(keys) {
      await waitUntil('the program waits for a key', () => page.evaluate(() => Module._tesseraKeyWaiters()), (n) => n > 0);
      await program.typeTogether(keys);
    },
    // stepWith, then the counter of the generation the keys let through on the last line.
    async stepTo(keys, generation) {
      await program.stepWith(keys);
      await program.waitForScreen((s) => lastCount(s) === generation, `the counter at ${generation}`);
    },
    // The canvas's pixels as grey levels, row by row; null for a pixel that is not grey.
    canvas: () => canvasGreys(page),
    async waitForFrame(expected, what) {
      const shown = await waitUntil(what, program.canvas, (c) => c && c.greys.join() === expected.join());
      return shown;
    },
    exitStatus: () => page.evaluate(() => document.body.dataset.exitStatus ?? null),
    async waitForEnd(status) {
      await waitUntil('the program ends', program.exitStatus, (s) => s !== null);
      assert.equal(await program.exitStatus(), String(status));
      await program.waitForText(`tessera ended with status ${status}`);
    },
    // Every test ends here: no error on the page.
    async close() {
      assert.deepEqual(errors, []);
      await page.close();
    },
  };
  await program.waitForText('World width (10 - 600) -->');
  return program;
}

// The engine's frames for the same run: one array of grey levels per "frame" action.
function expectedFrames(width, height, mode, greySpeed, rule, actions) {
  const output = execFileSync(expectedFramesProgram,
    [width, height, mode, greySpeed, rule, ...actions].map(String), { encoding: 'utf8' });
  return output.trim().split('\n').map((line) => (line.includes('/') ? line : line.split(' ').map(Number)));
}

// Starts in single-step mode: the "s" typed with the rule is polled by the first generation,
// which it reaches together with the rule.
async function startStepping(program, answers, rule) {
  await program.type(answers);
  await program.waitForText('examples:');
  await program.typeTogether(`${rule}\rs`);
  await program.waitForText('Iteration: 1');
}

describe('the browser build', () => {
  test('the dialogue shows on the terminal widget as on a terminal, answer by answer', async () => {
    const program = await openProgram();
    assert.equal(await program.screen(), `${greeting}\nWorld width (10 - 600) -->`);
    await program.type('2x\b0\r');
    await program.waitForText('World height (10 - 600) -->');
    assert.equal(await program.screen(), `${greeting}\nWorld width (10 - 600) -->20\nWorld height (10 - 600) -->`);
    await program.type('30\r');
    await program.waitForScreen((s) => s.endsWith(modeMenu), 'the rule-set menu');
    await program.type('2\r');
    await program.waitForText('Speed');
    await program.type('\r');
    await program.waitForText('examples:');
    await program.type('1/23/3\r');
    const screen = await program.waitForScreen((s) => /Iteration: \d+$/.test(s), 'the counter');
    assert.match(screen, new RegExp(`^${greeting}\nWorld width \\(10 - 600\\) -->20\nWorld height \\(10 - 600\\) -->30\n` +
      `${modeMenu.replace(/[[\].]/g, '\\$&')}2\n`));
    assert.ok(screen.includes(`${ruleExamples}\n -->1/23/3\n\n${legend}\nIteration: `), screen);
    // The counter is rewritten in place on one line.
    assert.equal(screen.split('\n').filter((line) => line.includes('Iteration')).length, 1);
    const shown = await program.canvas();
    assert.deepEqual([shown.width, shown.height, shown.caption], [20, 30, 'Tessera']);
    await program.type('q');
    await program.waitForEnd(0);
    assert.equal(await program.canvas(), null, 'the window goes with the program');
    await program.close();
  });

  for (const [mode, answers, greySpeed] of [[1, '40\r30\r1\r', 0], [2, '40\r30\r2\r16\r', 16]]) {
    test(`the canvas shows each generation of the engine (rule set ${mode})`, async () => {
      const program = await openProgram();
      await startStepping(program, answers, '1/23/3');
      const frames = expectedFrames(40, 30, mode, greySpeed, '1/23/3',
        ['frame', 'step', 'frame', 'step', 'frame', 'step', 'frame']);
      await program.waitForFrame(frames[0], 'the reset fill');
      for (let generation = 2; generation <= 4; ++generation) {
        await program.stepTo(' ', generation);
        await program.waitForFrame(frames[generation - 1], `generation ${generation}`);
      }
      // s during the wait ends single-step mode: the counter runs on by itself.
      await program.stepWith('s');
      await program.waitForScreen((s) => lastCount(s) >= 50, 'the counter running');
      await program.type('q');
      await program.waitForEnd(0);
      await program.close();
    });
  }

  test('each digit refills, x draws a random rule, Ctrl+C is an ordinary key', async () => {
    const program = await openProgram();
    await startStepping(program, '30\r20\r1\r', '1/23/3');
    // Each key goes behind the space that releases a wait: the generation let through shows what
    // the one before left, and its own step and the key make what the next shows.
    const actions = ['frame', 'step'];
    for (const digit of '0123456789') actions.push('frame', 'step', `fill:${digit}`);
    const expected = expectedFrames(30, 20, 1, 0, '1/23/3',
      [...actions, 'frame', 'step', 'random-rule', 'frame', 'step', 'frame']);
    await program.waitForFrame(expected[0], 'the reset fill');
    for (const digit of '0123456789') {
      await program.stepTo(` ${digit}`, Number(digit) + 2);
      await program.waitForFrame(expected[Number(digit) + 1], `before the ${digit}`);
    }
    const [fill9, notation, beforeX, byNewRule] = expected.slice(11);
    await program.stepWith(' x');
    // The message stands on a line of its own below the counter, and the counter goes on below it.
    await program.waitForScreen((s) => s.endsWith(`Iteration: 12\nNew rule: ${notation}`), 'the random rule');
    await program.waitForFrame(fill9, 'the fill of 9');
    // The generation after the x was begun before the key was read: the old rule made it.
    await program.stepWith(' ');
    await program.waitForScreen((s) => s.endsWith(`Iteration: 12\nNew rule: ${notation}\nIteration: 13`), 'the counter below');
    await program.waitForFrame(beforeX, 'stepped before the x');
    await program.stepTo(' ', 14);
    await program.waitForFrame(byNewRule, 'stepped by the new rule');
    await waitUntil('the program waits for a key', () => program.page.evaluate(() => Module._tesseraKeyWaiters()), (n) => n > 0);
    await program.page.keyboard.down('Control');
    await program.page.keyboard.press('c');
    await program.page.keyboard.up('Control');
    await program.waitForScreen((s) => lastCount(s) === 15, 'the counter at 15');
    assert.equal(await program.exitStatus(), null, 'Ctrl+C only released the wait');
    await program.stepWith(' q');
    await program.waitForEnd(0);
    await program.close();
  });

  test('r and n start again from the reset step and the rule dialogue, with the generator going on', async () => {
    const program = await openProgram();
    await startStepping(program, '50\r40\r2\r100\r', '1/23/3');
    const [reset, stepped, afterR, afterN, byTypedRule] = expectedFrames(50, 40, 2, 100, '1/23/3',
      ['frame', 'step', 'frame', 'refill', 'frame', 'refill', 'rule:1/34/34', 'frame', 'step', 'frame']);
    await program.waitForFrame(reset, 'the reset fill');
    await program.stepTo(' ', 2);
    await program.waitForFrame(stepped, 'generation 2');
    // The space releases the wait; the r behind it is polled by the next generation.
    await program.stepWith(' r');
    await program.waitForScreen((s) => s.endsWith(`${legend}\nIteration: 1`), 'the counter from 1 again on its line');
    await program.waitForFrame(afterR, 'the fill of r');
    await program.stepWith(' n');
    // The counter's line is blanked to the 80th column, where the text goes on and wraps, as on
    // an 80-column terminal.
    const examples = `${' '.repeat(79)}${ruleExamples[0]}\n${ruleExamples.slice(1)}\n -->`;
    await program.waitForScreen((s) => s.endsWith(`${legend}\n${examples}`), 'the rule dialogue again');
    assert.equal((await program.screen()).split('World width').length, 2, 'only the rule is asked again');
    await program.type('1/34/34\r');
    await program.waitForScreen((s) => s.endsWith(`1/34/34\n\n${legend}\nIteration: 1`), 'the legend and the counter');
    await program.waitForFrame(afterN, 'the fill after the new rule');
    const shown = await program.canvas();
    assert.deepEqual([shown.width, shown.height], [50, 40]);
    await program.stepTo(' ', 2);
    await program.waitForFrame(byTypedRule, 'stepped by the rule typed, in grey at speed 100');
    await program.stepWith(' q');
    await program.waitForEnd(0);
    await program.close();
  });

  test('the program writes the terminal the exact bytes the Linux program writes', async () => {
    const program = await openProgram('&transcript');
    await program.type('20\r30\r1\r1/23/3\r');
    await program.waitForText('Iteration: 3');
    await program.type('q');
    await program.waitForEnd(0);
    const written = await program.page.evaluate(() => tesseraTranscript());
    const dialogue = `${greeting}\nWorld width (10 - 600) -->20\nWorld height (10 - 600) -->30\n${modeMenu}1\n` +
      `${ruleExamples}\n -->1/23/3\n\n${legend}\n`;
    // Then only the counter, rewritten from column 1 and counting up by one, and a fresh line at the end.
    let expected = dialogue.replaceAll('\n', '\r\n');
    let generations = 0;
    while (expected.length < written.length - 2) expected += `\x1b[1GIteration: ${++generations}`;
    expected += '\r\n';
    assert.ok(generations >= 3, `${generations} generations written, 3 shown`);
    if (written !== expected) {
      let at = 0;
      while (written[at] === expected[at]) ++at;
      const near = (text) => JSON.stringify(text.slice(Math.max(0, at - 40), at + 80));
      assert.fail(`the bytes differ from byte ${at} of ${written.length}:\n${near(written)}\nexpected:\n${near(expected)}`);
    }
    await program.close();
  });

  test('closing the window ends the program', async () => {
    const program = await openProgram();
    await program.type('600\r600\r1\r1/23/3\r');
    await program.waitForText('Iteration: 3');
    await program.page.click('.window header button');
    await program.waitForEnd(0);
    assert.equal(await program.canvas(), null);
    await program.close();
  });
});

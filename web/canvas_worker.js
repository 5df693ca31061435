// One window's canvas, drawn off the page's thread: the page hands this worker the canvas's
// control, the program's shared memory and where the window's pixels and its two frame counts
// lie there. The window thread raises the count of frames asked for and sleeps until the count of
// frames put reaches it; this worker puts each frame into the canvas, raises that count and
// returns to its event loop, which presents the canvas, before it waits for the next.
'use strict';

let context = null;
// A frame of a display refreshed 60 times a second, in milliseconds.
const displayFrameMs = 1000 / 60;

// A task of its own: the event loop presents the canvas between tasks.
function nextTask() {
  const channel = new MessageChannel();
  return new Promise((resolve) => {
    channel.port1.onmessage = resolve;
    channel.port2.postMessage(null);
  });
}

async function putFrames({ canvas, memory, pixels, frames, width, height }) {
  context = canvas.getContext('2d');
  const image = new ImageData(width, height);
  const source = new Uint32Array(memory, pixels, width * height);
  const target = new Uint32Array(image.data.buffer);
  const counts = new Int32Array(memory, frames, 2); // asked for, put
  let put = 0;
  for (;;) {
    const waited = Atomics.waitAsync(counts, 0, put);
    await (waited.async ? waited.value : nextTask());
    // The frames that follow within a display's frame are put in the same task, waiting for each
    // without returning to the event loop: only the last is presented, once the task ends.
    const presentBy = performance.now() + displayFrameMs;
    let left;
    do {
      put = Atomics.load(counts, 0);
      target.set(source);
      context.putImageData(image, 0, 0);
      Atomics.store(counts, 1, put);
      Atomics.notify(counts, 1);
      left = presentBy - performance.now();
    } while (left > 0 && Atomics.wait(counts, 0, put, left) !== 'timed-out');
  }
}

// The canvas's pixels as the page's own canvas would give them, for tests that read them back.
onmessage = ({ data }) => {
  if (data.canvas) putFrames(data);
  else data.reply.postMessage(context.getImageData(0, 0, context.canvas.width, context.canvas.height).data);
};

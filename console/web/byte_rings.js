// The page's side of the program's two rings of bytes in shared memory (byte_ring.h).
// Module.typeKeys(text) puts the bytes of what the terminal widget reports typed into the typed
// ring and wakes the program; what does not fit waits here and goes in as the program takes keys
// out. What the program writes is taken out of the written ring as it comes and goes to the
// terminal widget (Module.tesseraTerminal, the page's) in the order written, so that no write of
// the program waits for the page's thread.
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  var RING_BYTES = 16; // written, taken, sleepers, capacity, then the ring's bytes

  // The bytes waiting in a ring, taken out and the taking told to a writer that waits for room.
  function takeAll(ring) {
    var words = ring >> 2;
    var written = Atomics.load(HEAPU32, words);
    var taken = Atomics.load(HEAPU32, words + 1);
    var capacity = HEAPU32[words + 3];
    var count = (written - taken) >>> 0;
    var bytes = new Uint8Array(count);
    var start = taken % capacity;
    var first = Math.min(count, capacity - start);
    bytes.set(HEAPU8.subarray(ring + RING_BYTES + start, ring + RING_BYTES + start + first));
    bytes.set(HEAPU8.subarray(ring + RING_BYTES, ring + RING_BYTES + count - first), first);
    Atomics.store(HEAPU32, words + 1, written);
    Atomics.notify(HEAP32, words + 1);
    return bytes;
  }

  // What the program wrote so far goes to the terminal widget; true when there was any.
  function showWritten() {
    var bytes = takeAll(Module['_tesseraWrittenRing']());
    if (bytes.length > 0) Module.tesseraTerminal.write(bytes);
    return bytes.length > 0;
  }

  // The widget shows what it is given at its next paint, so what the program writes within one
  // frame of a display refreshed 60 times a second goes to it at once.
  var DISPLAY_FRAME_MS = 1000 / 60;

  async function showWrittenForEver() {
    var words = Module['_tesseraWrittenRing']() >> 2;
    for (;;) {
      var seen = Atomics.load(HEAPU32, words);
      if (showWritten()) await new Promise(function (resolve) { setTimeout(resolve, DISPLAY_FRAME_MS); });
      var wait = Atomics.waitAsync(HEAP32, words, seen | 0);
      if (wait.async) await wait.value;
    }
  }
  showWrittenForEver();

  // The program's last writes are shown before the page hears that it ended.
  var pageOnExit = Module.onExit;
  Module.onExit = function (status) {
    showWritten();
    if (pageOnExit) pageOnExit(status);
  };

  var waiting = [];
  var retryScheduled = false;

  function putWaitingBytes() {
    retryScheduled = false;
    var ring = Module['_tesseraTypedRing']();
    var words = ring >> 2;
    var written = Atomics.load(HEAPU32, words);
    var capacity = HEAPU32[words + 3];
    var room = capacity - ((written - Atomics.load(HEAPU32, words + 1)) >>> 0);
    var count = Math.min(room, waiting.length);
    for (var i = 0; i < count; ++i) HEAPU8[ring + RING_BYTES + (written + i) % capacity] = waiting[i];
    waiting.splice(0, count);
    if (count > 0) {
      Atomics.store(HEAPU32, words, (written + count) >>> 0);
      Atomics.notify(HEAP32, words);
    }
    if (waiting.length > 0 && !retryScheduled) {
      retryScheduled = true;
      setTimeout(putWaitingBytes, 1);
    }
  }

  Module.typeKeys = function (text) {
    var bytes = new TextEncoder().encode(text);
    for (var i = 0; i < bytes.length; ++i) waiting.push(bytes[i]);
    putWaitingBytes();
  };
});

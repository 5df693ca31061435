// The page's side of the program's queue of typed keys (typed_queue.h): Module.typeKeys(text)
// puts the bytes of what the terminal widget reports typed into the ring in shared memory and
// wakes the program. What does not fit waits here and goes in as the program takes keys out.
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  var waiting = [];
  var retryScheduled = false;

  function putWaitingBytes() {
    retryScheduled = false;
    var queue = Module['_tesseraTypedQueue']();
    var words = queue >> 2; // written, taken, keyWaiters, capacity, then the ring's bytes
    var written = Atomics.load(HEAPU32, words);
    var capacity = HEAPU32[words + 3];
    var room = capacity - ((written - Atomics.load(HEAPU32, words + 1)) >>> 0);
    var count = Math.min(room, waiting.length);
    for (var i = 0; i < count; ++i) HEAPU8[queue + 16 + (written + i) % capacity] = waiting[i];
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

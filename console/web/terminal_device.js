// The program's terminal in the page: the emulated file system's terminal device (standard
// input, output and error, and /dev/tty) reads the keys typed into the page's terminal widget
// and writes every byte to it as it comes, with no line buffering, so carriage returns and
// control sequences act as they do on a terminal. The page supplies Module.tesseraTerminal
// with write(bytes); it calls Module.typeKeys(text) with what the widget reports typed.
// These functions run on the page's own thread, to which the program's file operations are
// handed.
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  var typed = [];
  var waitingCount = null; // index of the shared count of typed bytes not yet read, in HEAP32
  var shown = [];
  var showScheduled = false;

  function counter() {
    if (waitingCount === null) waitingCount = Module['_tesseraTypedBytesWaiting']() >> 2;
    return waitingCount;
  }
  function show() {
    showScheduled = false;
    var bytes = new Uint8Array(shown);
    shown = [];
    Module.tesseraTerminal.write(bytes);
  }
  var ops = {
    get_char: function () {
      if (typed.length === 0) return undefined; // nothing typed: the read would block
      Atomics.sub(HEAP32, counter(), 1);
      return typed.shift();
    },
    // Bytes of one write reach the widget together, in order, before the page next paints.
    put_char: function (tty, value) {
      if (value === null) return;
      shown.push(value);
      if (!showScheduled) {
        showScheduled = true;
        queueMicrotask(show);
      }
    },
    fsync: function () {}
  };
  TTY.default_tty_ops.get_char = TTY.default_tty1_ops.get_char = ops.get_char;
  TTY.default_tty_ops.put_char = TTY.default_tty1_ops.put_char = ops.put_char;
  TTY.default_tty_ops.fsync = TTY.default_tty1_ops.fsync = ops.fsync;

  // What the program wrote last reaches the widget before the page hears of its end.
  var pageExit = Module.onExit;
  Module.onExit = function (status) {
    if (showScheduled) show();
    if (pageExit) pageExit(status);
  };

  Module.typeKeys = function (text) {
    var bytes = new TextEncoder().encode(text);
    for (var i = 0; i < bytes.length; ++i) typed.push(bytes[i]);
    Atomics.add(HEAP32, counter(), bytes.length);
    Atomics.notify(HEAP32, counter());
  };
});

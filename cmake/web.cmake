# The browser build: WebAssembly with its 128-bit vectors and threads over shared memory. The
# main routine runs on a worker of its own, so it may sleep waiting for keys and frames while the
# page's thread stays free to take them; a pool of workers is ready for the window thread and the
# engine's workers (one per processor). The program's end ends the run-time, and the page hears
# of it through Module.onExit.
add_compile_options(-pthread -msimd128)
add_link_options(
  -pthread
  -sPROXY_TO_PTHREAD
  -sEXIT_RUNTIME=1
  -sINITIAL_MEMORY=128MB
  "-sPTHREAD_POOL_SIZE=navigator.hardwareConcurrency+2"
  "-sEXPORTED_RUNTIME_METHODS=['UTF8ToString']"
)

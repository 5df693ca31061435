# The browser build: WebAssembly with its 128-bit vectors and threads over shared memory. The
# main routine runs on a worker of its own, so it may sleep waiting for keys and frames while the
# page's thread stays free to take them. A pool of workers is ready, one for each thread the
# program starts: the main routine's, the window thread's and the engine's, which run the step on
# as many threads as the browser offers processors, the main routine's among them. The program's
# end ends the run-time, and the page hears of it through Module.onExit.
add_compile_options(-pthread -msimd128)
# emscripten's optimising link runs tools that look for their modules in the system's folder.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
add_link_options(
  -pthread
  -sPROXY_TO_PTHREAD
  -sEXIT_RUNTIME=1
  -sINITIAL_MEMORY=128MB
  "-sPTHREAD_POOL_SIZE=navigator.hardwareConcurrency+1"
  "-sEXPORTED_RUNTIME_METHODS=['UTF8ToString']"
)

# A program that also runs under node (the engine's tests, the step bench), which has no navigator
# to size the pool of workers by: each worker starts with its thread instead. ctest runs it with
# the node emscripten names, without the option for older versions that emscripten adds and
# today's refuse, and without fetch, which emscripten's loader uses where it exists and node's
# cannot do from a file.
function(tessera_runs_under_node target)
  target_link_options(${target} PRIVATE -sPTHREAD_POOL_SIZE=0)
  list(GET CMAKE_CROSSCOMPILING_EMULATOR 0 node)
  set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR ${node} --no-experimental-fetch)
endfunction()

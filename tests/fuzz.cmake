# libFuzzer targets for every place that takes outside bytes. They build only with clang and
# -DTESSERA_FUZZ=ON, in a tree whose code carries coverage instrumentation
# (CMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link, see scripts/test.sh). There ctest replays each
# seed corpus, findings included, as a regression test.
option(TESSERA_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(TESSERA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TESSERA_FUZZ needs clang (libFuzzer)")
  endif()
  set(fuzz_targets
    fuzz_to_number:tessera_text
    fuzz_text_search:tessera_text
    fuzz_read_line:tessera_console
    fuzz_key_decoder:tessera_console)
  foreach(entry IN LISTS fuzz_targets)
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 name)
    list(GET parts 1 library)
    add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/fuzz/${name}.cpp)
    target_link_libraries(${name} PRIVATE ${library} Threads::Threads)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_test(NAME ${name}.corpus COMMAND ${name} -runs=0 ${CMAKE_CURRENT_LIST_DIR}/fuzz/corpus/${name})
  endforeach()
endif()

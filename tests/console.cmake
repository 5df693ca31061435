# The console service's tests. The process tests drive console_probe, a small program on a
# pseudo-terminal of its own, so that the console meets a real controlling terminal.
add_executable(console_probe console_probe.cpp)
target_link_libraries(console_probe PRIVATE tessera_console)

add_executable(console_tests
  console_key_decoder_test.cpp
  console_output_test.cpp
  console_input_test.cpp
  console_process_test.cpp
)
target_link_libraries(console_tests PRIVATE tessera_console tessera_pty_support GTest::gtest_main Threads::Threads)
target_compile_definitions(console_tests PRIVATE CONSOLE_PROBE="$<TARGET_FILE:console_probe>")
add_dependencies(console_tests console_probe)
gtest_discover_tests(console_tests DISCOVERY_TIMEOUT ${tessera_discovery_timeout})

# The real program under faults: a vanishing X server, signals, broken output, bad input and
# bursts of keys. Each test drives the program on a pseudo-terminal of its own.
add_executable(fault_tests
  fault_ending_test.cpp
  fault_input_test.cpp
  fault_keys_test.cpp
  fault_output_test.cpp
  fault_terminal_test.cpp
)
target_link_libraries(fault_tests PRIVATE tessera_program_support GTest::gtest_main)
target_compile_definitions(fault_tests PRIVATE TESSERA_EXECUTABLE="$<TARGET_FILE:tessera>")
add_dependencies(fault_tests tessera)
gtest_discover_tests(fault_tests DISCOVERY_TIMEOUT ${tessera_discovery_timeout} PROPERTIES TIMEOUT 120)

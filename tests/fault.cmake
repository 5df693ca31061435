# The real program under faults: a vanishing X server, signals, broken output, bad input and
# bursts of keys. Each test drives the program on a pseudo-terminal of its own.
file(GLOB fault_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/fault_*.cpp)
add_executable(fault_tests ${fault_test_sources})
target_link_libraries(fault_tests PRIVATE tessera_test_support tessera_pty_support GTest::gtest_main)
target_compile_definitions(fault_tests PRIVATE TESSERA_EXECUTABLE="$<TARGET_FILE:tessera>")
add_dependencies(fault_tests tessera)
gtest_discover_tests(fault_tests DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)

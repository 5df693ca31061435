# The whole program in a pseudo-terminal under a private X server, with the wall clock frozen.
add_executable(e2e_tests ${CMAKE_CURRENT_LIST_DIR}/e2e_program_test.cpp)
target_link_libraries(e2e_tests PRIVATE tessera_screen_support GTest::gtest_main)
target_compile_definitions(e2e_tests PRIVATE TESSERA_EXECUTABLE="$<TARGET_FILE:tessera>")
add_dependencies(e2e_tests tessera)
gtest_discover_tests(e2e_tests DISCOVERY_TIMEOUT ${tessera_discovery_timeout} PROPERTIES TIMEOUT 120)

# The Windows program end to end under Wine, built with the Linux tests. It is not one of
# ctest's tests: scripts/test-windows.sh runs it with the X server and Wine prefix it prepares.
add_executable(wine_program_tests ${CMAKE_CURRENT_LIST_DIR}/wine_program_test.cpp)
target_link_libraries(wine_program_tests PRIVATE tessera_screen_support GTest::gtest_main)

file(GLOB graphics_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/graphics_*.cpp)
add_executable(graphics_tests ${graphics_test_sources})
target_link_libraries(graphics_tests PRIVATE tessera_graphics tessera_test_support GTest::gtest)
gtest_discover_tests(graphics_tests DISCOVERY_TIMEOUT 30)

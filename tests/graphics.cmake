find_package(X11 REQUIRED)

# A private X server and a probe that reads back what it shows; reused by end-to-end tests.
add_library(tessera_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/support/xvfb_server.cpp)
target_link_libraries(tessera_test_support PUBLIC X11::X11)

file(GLOB graphics_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/graphics_*.cpp)
add_executable(graphics_tests ${graphics_test_sources})
target_link_libraries(graphics_tests PRIVATE tessera_graphics tessera_test_support GTest::gtest)
gtest_discover_tests(graphics_tests DISCOVERY_TIMEOUT 30)

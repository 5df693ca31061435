add_executable(graphics_tests
  floating_point_main.cpp
  graphics_canvas_test.cpp
  graphics_registry_test.cpp
  graphics_window_test.cpp
)
target_link_libraries(graphics_tests PRIVATE tessera_graphics tessera_test_support GTest::gtest)
gtest_discover_tests(graphics_tests DISCOVERY_TIMEOUT ${tessera_discovery_timeout})

# The Windows console and window services, cross-compiled and run under Wine.
add_executable(win32_services_tests ${CMAKE_CURRENT_LIST_DIR}/win32_services_test.cpp)
target_link_libraries(win32_services_tests PRIVATE tessera_console tessera_graphics GTest::gtest_main)
gtest_discover_tests(win32_services_tests DISCOVERY_TIMEOUT ${tessera_discovery_timeout})

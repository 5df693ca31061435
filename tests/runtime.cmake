add_executable(runtime_tests ${CMAKE_CURRENT_LIST_DIR}/runtime_test.cpp)
target_link_libraries(runtime_tests PRIVATE tessera_runtime GTest::gtest_main)
gtest_discover_tests(runtime_tests DISCOVERY_TIMEOUT ${tessera_discovery_timeout})

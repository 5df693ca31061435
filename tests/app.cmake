add_executable(app_tests ${CMAKE_CURRENT_LIST_DIR}/app_dialogue_test.cpp)
target_link_libraries(app_tests PRIVATE tessera_app_core GTest::gtest_main)
gtest_discover_tests(app_tests DISCOVERY_TIMEOUT ${tessera_discovery_timeout})

add_executable(engine_tests
  ${CMAKE_CURRENT_LIST_DIR}/engine_world_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_fills_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_rules_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_fast_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_pool_test.cpp
)
include(${CMAKE_CURRENT_LIST_DIR}/support/headless_world.cmake)
target_link_libraries(engine_tests PRIVATE tessera_headless_world tessera_hwy GTest::gtest_main)
gtest_discover_tests(engine_tests DISCOVERY_TIMEOUT ${tessera_discovery_timeout})

# The browser build's engine under node: the fast step against the literal one on the browser's
# vector instructions, and which instruction set that is.
add_executable(web_engine_tests
  ${CMAKE_CURRENT_LIST_DIR}/engine_fast_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/web/engine_target_test.cpp
)
include(${CMAKE_CURRENT_LIST_DIR}/support/headless_world.cmake)
target_link_libraries(web_engine_tests PRIVATE tessera_headless_world tessera_hwy GTest::gtest_main)
tessera_runs_under_node(web_engine_tests)
gtest_discover_tests(web_engine_tests DISCOVERY_TIMEOUT ${tessera_discovery_timeout})

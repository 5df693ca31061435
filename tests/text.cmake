file(GLOB text_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/text_*.cpp)
add_executable(text_tests ${text_test_sources})
target_link_libraries(text_tests PRIVATE tessera_text GTest::gtest)
gtest_discover_tests(text_tests)

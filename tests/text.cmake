# The text layer's tests, and those of random numbers and the clock, in the program's
# floating-point environment. The address-space limit that one of them sets is POSIX's.
add_executable(text_tests
  floating_point_main.cpp
  text_numbers_test.cpp
  text_strings_test.cpp
  text_int_array_test.cpp
  text_random_test.cpp
)
if(NOT WIN32)
  target_sources(text_tests PRIVATE text_int_array_address_limit_test.cpp)
endif()
target_link_libraries(text_tests PRIVATE tessera_text tessera_random_and_time GTest::gtest)
gtest_discover_tests(text_tests DISCOVERY_TIMEOUT ${tessera_discovery_timeout})

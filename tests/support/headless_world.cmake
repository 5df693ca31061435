# A World run without window or console, for the engine's tests and the benchmarks (which may be
# built without the tests, and for Windows without the rest of the tests' support).
if(NOT TARGET tessera_headless_world)
  add_library(tessera_headless_world STATIC ${CMAKE_CURRENT_LIST_DIR}/headless_world.cpp)
  target_link_libraries(tessera_headless_world PUBLIC tessera_engine)
  target_include_directories(tessera_headless_world PUBLIC ${PROJECT_SOURCE_DIR})
endif()

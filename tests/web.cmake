# The native side of the browser tests (scripts/test-web.sh): the frames the engine computes from
# the frozen seed, which the canvas in the page must show.
add_executable(expected_frames ${CMAKE_CURRENT_LIST_DIR}/web/expected_frames.cpp)
target_link_libraries(expected_frames PRIVATE tessera_program_support)

# The vector library the engine's generation kernel dispatches with, as the target tessera_hwy:
# the system's package on Linux; for Windows and the browser there is no cross-built package, so
# its run-time part (target detection and dispatch) is built from the source in
# TESSERA_HWY_SOURCE_DIR.
if(WIN32 OR EMSCRIPTEN)
  set(TESSERA_HWY_SOURCE_DIR "" CACHE PATH "Highway's source tree (the Windows and web builds compile it)")
  if(NOT EXISTS "${TESSERA_HWY_SOURCE_DIR}/hwy/targets.cc")
    message(FATAL_ERROR "TESSERA_HWY_SOURCE_DIR must name Highway's source tree (scripts/fetch-highway.sh fetches it)")
  endif()
  add_library(tessera_hwy STATIC
    ${TESSERA_HWY_SOURCE_DIR}/hwy/targets.cc
    ${TESSERA_HWY_SOURCE_DIR}/hwy/per_target.cc
    ${TESSERA_HWY_SOURCE_DIR}/hwy/print.cc
    ${TESSERA_HWY_SOURCE_DIR}/hwy/aligned_allocator.cc
  )
  target_include_directories(tessera_hwy SYSTEM PUBLIC ${TESSERA_HWY_SOURCE_DIR})
  target_compile_definitions(tessera_hwy PUBLIC HWY_STATIC_DEFINE)
  target_compile_options(tessera_hwy PRIVATE -w)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(HWY REQUIRED IMPORTED_TARGET GLOBAL libhwy)
  add_library(tessera_hwy INTERFACE)
  target_link_libraries(tessera_hwy INTERFACE PkgConfig::HWY)
endif()

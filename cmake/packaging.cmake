# What cmake --install puts in place and the packages made of it with CPack: a .deb laid out as
# Debian's games are, whose run-time dependencies dpkg-shlibdeps finds from the program's
# libraries; for Windows a .zip holding tessera.exe, for the browser a .zip of the page's folder,
# each with its README.txt, LICENSE.txt and THIRD-PARTY-NOTICES.txt.
set(CPACK_PACKAGE_NAME tessera)
set(CPACK_PACKAGE_VENDOR "Tessera developers")
set(CPACK_PACKAGE_CONTACT "Tessera developers <tessera@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Cellular-automaton toy for the text console with a graphic window")
set(CPACK_PACKAGE_DESCRIPTION [=[
Tessera asks in the console for the size of a world of 10 to 600 cells each
way, opens a window that shows one pixel per cell, and runs a cellular
automaton on it as fast as the machine allows: black-and-white rules, or
shades of grey where cells drift up and down. Rules are typed as
Size/Survive/Born (1/23/3 is the Game of Life); single keys in the console
refill the world at ten densities, single-step, reset, ask for a new rule or
draw a random one.]=])
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tessera.example.org")
set(CPACK_STRIP_FILES ON)

set(packaging_sources ${PROJECT_SOURCE_DIR}/packaging)
set(packaging_made ${PROJECT_BINARY_DIR}/packaging)

if(EMSCRIPTEN OR WIN32)
  # Both .zip files unpack into one folder named after the package, its version and platform,
  # which holds the program with README.txt, LICENSE.txt and THIRD-PARTY-NOTICES.txt.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  if(EMSCRIPTEN)
    set(CPACK_SYSTEM_NAME web)
    set(CPACK_STRIP_FILES OFF)
    set(README_PLATFORM "for the browser")
    set(README_CARRIER "the page")
    set(readme_starting ${packaging_sources}/README-web.txt.in)
    set(text_newlines UNIX)
    set(page ${PROJECT_SOURCE_DIR}/web)
    set(xterm ${page}/node_modules/@xterm/xterm)
  else()
    set(CPACK_SYSTEM_NAME windows-x86_64)
    set(README_PLATFORM "for Windows")
    set(README_CARRIER "tessera.exe")
    set(readme_starting ${packaging_sources}/README-windows.txt.in)
    # Read in Notepad and typed to the console, so their lines end in 13, 10.
    set(text_newlines CRLF)
  endif()
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
  set(TESSERA_PACKAGE_FOLDER ${CPACK_PACKAGE_FILE_NAME})

  # README.txt: the text both platforms share, with this platform's way of starting Tessera in
  # its place.
  set(README_TITLE "Tessera ${PROJECT_VERSION} ${README_PLATFORM}")
  string(LENGTH "${README_TITLE}" title_length)
  string(REPEAT "=" ${title_length} README_TITLE_RULE)
  file(READ ${packaging_sources}/README.txt.in readme)
  file(READ ${readme_starting} starting)
  string(REPLACE "@README_STARTING@\n" "${starting}" readme "${readme}")
  file(CONFIGURE OUTPUT ${packaging_made}/README.txt CONTENT "${readme}" @ONLY NEWLINE_STYLE ${text_newlines})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${packaging_sources}/README.txt.in ${readme_starting})
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${packaging_made}/LICENSE.txt @ONLY NEWLINE_STYLE ${text_newlines})
  include(${PROJECT_SOURCE_DIR}/cmake/third_party_notices.cmake)
  install(FILES ${packaging_made}/README.txt ${packaging_made}/LICENSE.txt
    ${packaging_made}/THIRD-PARTY-NOTICES.txt DESTINATION .)

  if(EMSCRIPTEN)
    # The page's folder: the program's script, module and workers' script, the page with its
    # canvas's worker and its service worker, the terminal widget (from web/'s npm packages) and
    # the server.
    install(FILES $<TARGET_FILE:tessera> $<TARGET_FILE_DIR:tessera>/tessera.wasm
      $<TARGET_FILE_DIR:tessera>/tessera.worker.js ${page}/index.html ${page}/page.js ${page}/page.css
      ${page}/canvas_worker.js ${page}/service_worker.js ${xterm}/lib/xterm.js ${xterm}/css/xterm.css DESTINATION .)
    install(PROGRAMS ${page}/serve.py DESTINATION .)
  else()
    install(TARGETS tessera RUNTIME DESTINATION .)
  endif()
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

  # The machine-readable copyright file holds the licence's own text.
  string(REGEX REPLACE "^Copyright \\(c\\) " "" TESSERA_COPYRIGHT_HOLDERS "${TESSERA_COPYRIGHT}")
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
  string(FIND "${licence}" "${TESSERA_COPYRIGHT}" copyright_at)
  string(LENGTH "${TESSERA_COPYRIGHT}" copyright_length)
  math(EXPR terms_at "${copyright_at} + ${copyright_length}")
  string(SUBSTRING "${licence}" ${terms_at} -1 terms)
  string(STRIP "${terms}" terms)
  string(REPLACE "\n\n" "\n.\n" terms "${terms}")
  string(REPLACE "\n" "\n " TESSERA_LICENCE_TEXT " ${terms}")
  configure_file(${packaging_sources}/copyright.in ${packaging_made}/copyright @ONLY)

  # The manual page and the changelog go compressed, without time stamps, as Debian has them.
  configure_file(${packaging_sources}/tessera.6.in ${packaging_made}/tessera.6 @ONLY)
  configure_file(${packaging_sources}/changelog.in ${packaging_made}/changelog.Debian @ONLY)
  set(compressed ${packaging_made}/tessera.6.gz ${packaging_made}/changelog.Debian.gz)
  foreach(file IN LISTS compressed)
    string(REGEX REPLACE "\\.gz$" "" plain ${file})
    add_custom_command(OUTPUT ${file} COMMAND gzip -9nkf ${plain} DEPENDS ${plain} VERBATIM)
  endforeach()
  add_custom_target(tessera_documents ALL DEPENDS ${compressed})

  install(TARGETS tessera RUNTIME DESTINATION games)
  install(FILES ${packaging_made}/tessera.6.gz DESTINATION share/man/man6)
  install(FILES ${packaging_sources}/tessera.desktop DESTINATION share/applications)
  install(FILES ${packaging_sources}/tessera.svg DESTINATION share/icons/hicolor/scalable/apps)
  install(FILES ${packaging_made}/copyright ${packaging_made}/changelog.Debian.gz DESTINATION share/doc/tessera)
  install(FILES ${packaging_sources}/lintian-overrides DESTINATION share/lintian/overrides RENAME tessera)
endif()
include(CPack)

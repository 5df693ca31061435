# THIRD-PARTY-NOTICES.txt for the .zip files: the copyright lines and licence of every component
# that a .zip ships or that is linked into its program, copied at build time from the files that
# the installed packages bring (packaging/third_party_notices.py picks them out; a text it cannot
# find fails the build). The .deb links its libraries dynamically and names them as its
# dependencies, so it carries no such file.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Both builds compile Highway from the source that scripts/fetch-highway.sh unpacks.
set(highway_notice
  --component Highway "the vector library that the engine's generation kernel and the grey pixels are written with, compiled in from its source"
  --dep5 "Debian's copyright file for Highway (package libhwy-dev)" /usr/share/doc/libhwy-dev/copyright "hwy/*"
  --file "Highway's LICENSE" ${TESSERA_HWY_SOURCE_DIR}/LICENSE)

if(EMSCRIPTEN)
  # What the link takes from emscripten was read off the link itself: `em++ -v` prints the
  # wasm-ld command for tessera.js, and that command run again with --trace names every archive
  # member linked in. Besides Tessera's own libraries they are members of emscripten's libc-mt.a
  # (musl and emscripten's own C library: system/lib/libc/ and system/lib/pthread/ of its
  # source), libdlmalloc-mt.a (system/lib/dlmalloc.c, sbrk.c), libcompiler_rt-mt.a (the builtins
  # and the stack operations, system/lib/compiler-rt/), libc++-mt-noexcept.a and
  # libc++abi-mt-noexcept.a (system/lib/libcxx/, libcxxabi/), libstubs.a (system/lib/libc/) and
  # crtbegin.o; none of libGL, libal, libhtml5 or libsockets. tessera.js and tessera.worker.js are
  # emscripten's run-time JavaScript, from its src/. No member of Highway's archive is linked
  # (the browser has one vector target, reached without dispatch), but Highway's headers are
  # compiled into the engine. Debian's emscripten package leaves out upstream's licence files,
  # so its copyright file is the text for all of these.
  set(emscripten_sources "system/lib/libc/* system/lib/pthread/* system/lib/dlmalloc.c system/lib/sbrk.c system/lib/compiler-rt/* system/lib/libcxx/* system/lib/libcxxabi/* src/*")
  set(notices_intro "The page's folder holds the terminal widget, and tessera.wasm, tessera.js and tessera.worker.js carry code compiled from other projects' sources. The licences of these components ask that their copyright lines and terms go with every copy; here they are, as each component's own package states them.")
  set(notices_components
    --component xterm.js "the terminal widget that is the page's console (xterm.js, xterm.css)"
    --file "the package's LICENSE" ${xterm}/LICENSE
    --copyright-lines "the copyright lines of the sources xterm.js is built from (the package's src/)" ${xterm}/src
    ${highway_notice}
    --component "Emscripten's run-time" "the C and C++ libraries (musl, libc++, libc++abi, compiler-rt, dlmalloc) compiled into tessera.wasm, and the JavaScript that loads and runs it"
    --dep5 "Debian's copyright file for emscripten" /usr/share/doc/emscripten/copyright "${emscripten_sources}")
else()
  # What the static link brings in was read off the link itself: tessera.exe linked again with
  # -Wl,-Map (its command is in app/CMakeFiles/tessera.dir/link.txt) lists in the map's "Archive
  # member included" section, besides Tessera's own libraries and Windows' import libraries,
  # members of libstdc++.a, libgcc.a and libgcc_eh.a with crtbegin.o and crtend.o (GCC's run-time
  # libraries; dpkg -S names g++-mingw-w64-x86-64-posix and gcc-mingw-w64-x86-64-posix), and of
  # libmingw32.a, libmingwex.a, libmsvcrt.a and libpthread.a with crt2.o (MinGW-w64's C run-time
  # and winpthreads, package mingw-w64-x86-64-dev). `x86_64-w64-mingw32-objdump --dwarf=info` on
  # the unstripped tessera.exe names their sources: mingw-w64-crt/ crt/, gdtoa/, math/, misc/,
  # secapi/ and stdio/, and mingw-w64-libraries/winpthreads/src/ (its headers' inline functions
  # are compiled in too). GCC's copyright file is not machine-readable: its statement for the
  # run-time libraries and the GCC Runtime Library Exception are taken from it, with the GPL it
  # refers to.
  set(mingw_copyright /usr/share/doc/mingw-w64-x86-64-dev/copyright)
  set(gcc_copyright /usr/share/doc/g++-mingw-w64-x86-64-posix/copyright)
  set(notices_intro "tessera.exe is linked statically: it carries code of the components below, whose licences ask that their copyright lines and terms go with every copy. Here they are, as each component's own package states them.")
  set(notices_components
    ${highway_notice}
    --component "MinGW-w64 C run-time" "the start-up code, formatted output and the links to Windows' C library (mingw-w64-crt)"
    --dep5 "Debian's copyright file for MinGW-w64 (package mingw-w64-x86-64-dev)" ${mingw_copyright}
      "mingw-w64-crt/crt/* mingw-w64-crt/gdtoa/* mingw-w64-crt/math/* mingw-w64-crt/misc/* mingw-w64-crt/secapi/* mingw-w64-crt/stdio/*"
    --component winpthreads "MinGW-w64's POSIX threads for Windows, under the C++ library's threads"
    --dep5 "Debian's copyright file for MinGW-w64 (package mingw-w64-x86-64-dev)" ${mingw_copyright}
      "mingw-w64-libraries/winpthreads/src/* mingw-w64-libraries/winpthreads/include/*"
    --component "GCC run-time libraries" "the C++ library libstdc++ and the compiler's support libraries libgcc and libgcc_eh"
    --excerpt "Debian's copyright file for GCC (package g++-mingw-w64-x86-64-posix): the copyright statement" ${gcc_copyright}
      "GCC is Copyright" "The libbacktrace library"
    --excerpt "the same file: the exception" ${gcc_copyright} "GCC RUNTIME LIBRARY EXCEPTION" "libquadmath/"
    --file "the GNU General Public License, version 3" /usr/share/common-licenses/GPL-3)
endif()

set(notices ${packaging_made}/THIRD-PARTY-NOTICES.txt)
set(notices_newlines "")
if(text_newlines STREQUAL CRLF)
  set(notices_newlines --crlf)
endif()
add_custom_command(OUTPUT ${notices}
  COMMAND Python3::Interpreter ${packaging_sources}/third_party_notices.py ${notices}
    --title "Third-party notices for ${README_TITLE}" --intro "${notices_intro}"
    ${notices_newlines} --depfile ${notices}.d ${notices_components}
  DEPENDS ${packaging_sources}/third_party_notices.py
  DEPFILE ${notices}.d
  COMMENT "Writing THIRD-PARTY-NOTICES.txt"
  VERBATIM)
add_custom_target(tessera_third_party_notices ALL DEPENDS ${notices})

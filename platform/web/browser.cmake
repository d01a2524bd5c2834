# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# The browser build (emscripten): the game alone, linked against the libraries scripts/web.sh
# compiles from Debian's sources into CRUMLET_WEB_PREFIX, with the data folder CRUMLET_WEB_DATA
# (made by the native tools) packed beside it. The results go to CRUMLET_WEB_OUT: crumlet.html,
# crumlet.js, crumlet.wasm and crumlet.data. Included by the top-level CMakeLists instead of the
# native build; no module's code knows the difference, only platform/ does.
foreach(v CRUMLET_WEB_PREFIX CRUMLET_WEB_DATA CRUMLET_WEB_OUT)
  if(NOT ${v})
    message(FATAL_ERROR "${v} is not set: build for the browser with scripts/web.sh")
  endif()
endforeach()
set(web_dir ${CMAKE_CURRENT_LIST_DIR})
set(TOVRIK_RUN_DIR ${CRUMLET_WEB_OUT})
set(BUILD_TESTING OFF)

# The outside libraries as imported targets under the names the modules link. The modules' own
# find_package and pkg_check_modules calls are then answered by these.
function(crumlet_web_library name)  # name [include folder...] LINK [library...]
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "INCLUDE;LINK")
  add_library(${name} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${name} INTERFACE ${arg_INCLUDE})
  target_link_libraries(${name} INTERFACE ${arg_LINK})
endfunction()
set(inc ${CRUMLET_WEB_PREFIX}/include)
set(lib ${CRUMLET_WEB_PREFIX}/lib)
crumlet_web_library(SDL2::SDL2 INCLUDE ${inc} ${inc}/SDL2 LINK ${lib}/libSDL2.a)
crumlet_web_library(ZLIB::ZLIB INCLUDE ${inc} LINK ${lib}/libz.a)
crumlet_web_library(PNG::PNG INCLUDE ${inc} LINK ${lib}/libpng.a ZLIB::ZLIB)
crumlet_web_library(PkgConfig::LZO2 INCLUDE ${inc} ${inc}/lzo LINK ${lib}/liblzo2.a)
# Emscripten's GL library comes with -sLEGACY_GL_EMULATION at link time; threads are not used.
crumlet_web_library(OpenGL::GL)
crumlet_web_library(Threads::Threads)
# inih has no Debian source package to compile here; its one function the settings reader
# calls is provided by a small reader of our own (ini.c).
add_library(crumlet_web_ini STATIC ${web_dir}/ini.c)
target_include_directories(crumlet_web_ini PUBLIC ${web_dir}/include)
crumlet_web_library(PkgConfig::INIH LINK crumlet_web_ini)

set(crumlet_web_provided SDL2 ZLIB PNG OpenGL Threads PkgConfig)
macro(find_package name)
  if(NOT "${name}" IN_LIST crumlet_web_provided)
    _find_package(${ARGV})
  endif()
endmacro()
macro(pkg_check_modules)
endmacro()

foreach(dir platform runtime levels graphics devices app planner commands game)
  add_subdirectory(${dir})
endforeach()

# What only the browser needs: sleeping that lets the page run, saves kept in IndexedDB, the
# page itself.
target_sources(crumlet PRIVATE ${web_dir}/browser.cpp)
set_target_properties(crumlet PROPERTIES SUFFIX ".html" RUNTIME_OUTPUT_DIRECTORY ${CRUMLET_WEB_OUT})
target_link_options(crumlet PRIVATE
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sLEGACY_GL_EMULATION -sALLOW_MEMORY_GROWTH -sEXIT_RUNTIME -sFORCE_FILESYSTEM
  -lidbfs.js
  "-sEXPORTED_RUNTIME_METHODS=['FS','callMain']"
  -sMINIFY_HTML=0
  --shell-file ${web_dir}/shell.html
  --pre-js ${web_dir}/pre.js
  --js-library ${web_dir}/library.js
  --preload-file ${CRUMLET_WEB_DATA}@/data
  -Wl,--wrap=nanosleep -Wl,--wrap=SDL_GL_SwapWindow -Wl,--wrap=link)
set_property(TARGET crumlet APPEND PROPERTY LINK_DEPENDS
  ${web_dir}/shell.html ${web_dir}/pre.js ${web_dir}/library.js)

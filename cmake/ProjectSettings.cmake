# Warnings, sanitizers and the optional libraries, in one place.

function(shunt_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 at -O3 reports std::string's own copies as overlapping (its
    # bug 105329); the warning says nothing about our code.
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# Every float operation rounds on its own, so that a matrix text, a step or a
# dash offset comes out the same on every processor: no fused multiply-adds
# (gcc contracts across a statement by default, clang within one). The 32-bit
# Intel toolchain adds SSE arithmetic in place of the x87's extended registers.
add_compile_options(-ffp-contract=off)

if(SHUNT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(CMAKE_CXX_BYTE_ORDER STREQUAL "BIG_ENDIAN")
  set(SHUNT_BYTE_ORDER "big-endian")
else()
  set(SHUNT_BYTE_ORDER "little-endian")
endif()
math(EXPR SHUNT_POINTER_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
set(SHUNT_TARGET_NAME "${CMAKE_SYSTEM_PROCESSOR}")

# ICU (Unicode strings of the simulated host, encodings of SVG files),
# pugixml and libxml2 (SVG) and CLI11 (the host program's command line) come
# from Debian (scripts/apt-packages.txt) and are required by the native
# builds, which therefore always build the host program. The cross targets
# have no packages of them: there the simulated host converts 7-bit ASCII
# text only and no host program is built.
if(CMAKE_CROSSCOMPILING)
  set(SHUNT_HAVE_ICU OFF)
  set(SHUNT_HAVE_PUGIXML OFF)
  set(SHUNT_HAVE_HOST_PROGRAM OFF)
else()
  find_package(ICU REQUIRED COMPONENTS uc i18n)
  find_package(pugixml REQUIRED)
  find_package(LibXml2 REQUIRED)
  find_package(CLI11 CONFIG REQUIRED)
  set(SHUNT_HAVE_ICU ON)
  set(SHUNT_HAVE_PUGIXML ON)
  set(SHUNT_HAVE_HOST_PROGRAM ON)
endif()
message(STATUS "Shunt target: ${SHUNT_TARGET_NAME}, ${SHUNT_BYTE_ORDER}, ${SHUNT_POINTER_BITS}-bit pointers; "
               "ICU ${SHUNT_HAVE_ICU}, pugixml ${SHUNT_HAVE_PUGIXML}, host program ${SHUNT_HAVE_HOST_PROGRAM}")

if(SHUNT_BUILD_TESTS)
  if(CMAKE_CROSSCOMPILING)
    # Debian's source copy, built for the target.
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Recent copies name their targets GTest::* themselves.
    if(NOT TARGET GTest::gtest)
      add_library(GTest::gtest ALIAS gtest)
      add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
  include(GoogleTest)
endif()

# Registers a GoogleTest program's tests with ctest. Listing the tests runs the
# program, under qemu on the 32-bit targets, which on a busy machine takes
# longer than GoogleTest's default of five seconds.
function(shunt_discover_tests target)
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 ${ARGN})
endfunction()

if(SHUNT_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()

# Warnings, sanitizers and the optional libraries, in one place.

function(shunt_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 at -O3 reports std::string's own copies as overlapping (its
    # bug 105329); the warning says nothing about our code.
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

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

# ICU (Unicode strings of the simulated host, encodings of SVG files), pugixml
# and libxml2 (SVG) and CLI11 (the host program's command line) come from
# Debian for the native build only.
if(CMAKE_CROSSCOMPILING)
  set(SHUNT_HAVE_ICU OFF)
  set(SHUNT_HAVE_PUGIXML OFF)
else()
  find_package(ICU COMPONENTS uc i18n)
  set(SHUNT_HAVE_ICU ${ICU_FOUND})
  find_package(pugixml)
  find_package(LibXml2)
  if(pugixml_FOUND AND LibXml2_FOUND AND ICU_FOUND)
    set(SHUNT_HAVE_PUGIXML ON)
  else()
    set(SHUNT_HAVE_PUGIXML OFF)
  endif()
endif()
if(SHUNT_HAVE_PUGIXML)
  find_package(CLI11 CONFIG)
endif()
if(SHUNT_HAVE_PUGIXML AND CLI11_FOUND)
  set(SHUNT_HAVE_HOST_PROGRAM ON)
else()
  set(SHUNT_HAVE_HOST_PROGRAM OFF)
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

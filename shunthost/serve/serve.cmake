# `shunt-host serve`: the palette in a web page. cpp-httplib serves it and
# nlohmann-json writes its state; without them the subcommand only says so.
find_package(PkgConfig)
if(PkgConfig_FOUND)
  pkg_check_modules(CPP_HTTPLIB IMPORTED_TARGET cpp-httplib)
endif()
find_package(nlohmann_json 3 QUIET)

set(SHUNT_SERVE_DIR ${CMAKE_CURRENT_LIST_DIR})
if(CPP_HTTPLIB_FOUND AND nlohmann_json_FOUND)
  file(GLOB SHUNT_PAGE_FILES CONFIGURE_DEPENDS ${SHUNT_SERVE_DIR}/page/*)
  set(SHUNT_PAGE_ASSETS ${CMAKE_CURRENT_BINARY_DIR}/serve/PageAssets.cpp)
  add_custom_command(OUTPUT ${SHUNT_PAGE_ASSETS}
    COMMAND ${CMAKE_COMMAND} "-DFILES=${SHUNT_PAGE_FILES}" -DOUTPUT=${SHUNT_PAGE_ASSETS}
            -P ${SHUNT_SERVE_DIR}/embed_page.cmake
    DEPENDS ${SHUNT_PAGE_FILES} ${SHUNT_SERVE_DIR}/embed_page.cmake
    COMMENT "Building the page into shunt-host" VERBATIM)
  target_sources(shunt-host PRIVATE
    ${SHUNT_SERVE_DIR}/AccessGuard.cpp
    ${SHUNT_SERVE_DIR}/HostMailbox.cpp
    ${SHUNT_SERVE_DIR}/PageArtwork.cpp
    ${SHUNT_SERVE_DIR}/PageServer.cpp
    ${SHUNT_SERVE_DIR}/ServeCommand.cpp
    ${SHUNT_SERVE_DIR}/ServeSession.cpp
    ${SHUNT_SERVE_DIR}/ServeState.cpp
    ${SHUNT_SERVE_DIR}/StartFaults.cpp
    ${SHUNT_SERVE_DIR}/UndoHistory.cpp
    ${SHUNT_PAGE_ASSETS})
  target_include_directories(shunt-host PRIVATE ${SHUNT_SERVE_DIR})
  target_link_libraries(shunt-host PRIVATE PkgConfig::CPP_HTTPLIB nlohmann_json::nlohmann_json)
  set(SHUNT_HAVE_SERVE ON CACHE INTERNAL "")
else()
  message(STATUS "shunt-host serve: cpp-httplib (libcpp-httplib-dev) or nlohmann-json (nlohmann-json3-dev) "
                 "missing; the subcommand will only say so")
  target_sources(shunt-host PRIVATE
    ${SHUNT_SERVE_DIR}/ServeUnavailable.cpp
    ${SHUNT_SERVE_DIR}/StartFaults.cpp)
  set(SHUNT_HAVE_SERVE OFF CACHE INTERNAL "")
endif()

# Header-only JSON: the Debian package installs it under /usr/include, which
# the cross compiler must not search, so its headers are staged in the build tree.
set(QUILLON_JSON_SOURCE /usr/include/nlohmann CACHE PATH "nlohmann-json headers")
if(NOT EXISTS ${QUILLON_JSON_SOURCE}/json.hpp)
  message(FATAL_ERROR "nlohmann-json not found at ${QUILLON_JSON_SOURCE}: run scripts/setup")
endif()
file(COPY ${QUILLON_JSON_SOURCE} DESTINATION ${CMAKE_BINARY_DIR}/third_party/include)
add_library(quillon_json INTERFACE)
target_include_directories(quillon_json SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/third_party/include)

# GoogleTest from the Debian source package, compiled for whichever target this build is for.
function(quillon_add_gtest)
  if(TARGET gtest)
    return()
  endif()
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endfunction()

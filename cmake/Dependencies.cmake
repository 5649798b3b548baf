# Header-only JSON: the Debian package installs it under /usr/include, which
# the cross compiler must not search, so its headers are staged in the build tree.
set(QUILLON_JSON_SOURCE /usr/include/nlohmann CACHE PATH "nlohmann-json headers")
if(NOT EXISTS ${QUILLON_JSON_SOURCE}/json.hpp)
  message(FATAL_ERROR "nlohmann-json not found at ${QUILLON_JSON_SOURCE}: run scripts/setup")
endif()
file(COPY ${QUILLON_JSON_SOURCE} DESTINATION ${CMAKE_BINARY_DIR}/third_party/include)
add_library(quillon_json INTERFACE)
target_include_directories(quillon_json SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/third_party/include)

# GoogleTest, compiled for whichever target this build is for: from a source
# folder (the Debian package's by default), else an installed package (vcpkg's
# "gtest", for example), else, when asked, downloaded. Without any of them the
# program still builds, only without its tests.
set(QUILLON_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source folder")
option(QUILLON_FETCH_GTEST "Download GoogleTest when no source folder or package is found" OFF)
set(QUILLON_GTEST_FROM "")
if(EXISTS ${QUILLON_GTEST_SOURCE}/CMakeLists.txt)
  set(QUILLON_GTEST_FROM source)
else()
  find_package(GTest CONFIG QUIET)
  if(GTest_FOUND)
    set(QUILLON_GTEST_FROM package)
  elseif(QUILLON_FETCH_GTEST)
    set(QUILLON_GTEST_FROM fetch)
  endif()
endif()

function(quillon_add_gtest)
  if(TARGET gtest)
    return()
  endif()
  if(QUILLON_GTEST_FROM STREQUAL "package")
    # The names the test folders link against, over the package's namespaced targets.
    foreach(name gtest gtest_main gmock)
      add_library(${name} INTERFACE)
      target_link_libraries(${name} INTERFACE GTest::${name})
    endforeach()
    return()
  endif()
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  if(QUILLON_GTEST_FROM STREQUAL "fetch")
    include(FetchContent)
    FetchContent_Declare(googletest URL https://github.com/google/googletest/archive/refs/tags/v1.14.0.tar.gz)
    FetchContent_MakeAvailable(googletest)
  else()
    add_subdirectory(${QUILLON_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
endfunction()

# A wWinMain or wmain program: mingw-w64 needs to be told, MSVC's linker finds it by itself.
function(quillon_unicode_entry target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()

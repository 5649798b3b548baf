# PDFio, built from its unchanged release sources in third_party/pdfio as a
# static library, with zlib from the system (Debian: zlib1g-dev natively,
# libz-mingw-w64-dev for the mingw-w64 build). Its own warnings stay off: it is
# not our code, and ours are errors.
set(QUILLON_PDFIO_DIR ${PROJECT_SOURCE_DIR}/third_party/pdfio)
if(MINGW)
  # The import library would make Quillon.exe need zlib1.dll; the program ships as one file.
  find_library(QUILLON_ZLIB_STATIC NAMES libz.a REQUIRED)
  add_library(quillon_zlib INTERFACE)
  target_link_libraries(quillon_zlib INTERFACE ${QUILLON_ZLIB_STATIC})
else()
  find_package(ZLIB REQUIRED)
  add_library(quillon_zlib INTERFACE)
  target_link_libraries(quillon_zlib INTERFACE ZLIB::ZLIB)
endif()

file(GLOB QUILLON_PDFIO_SOURCES CONFIGURE_DEPENDS ${QUILLON_PDFIO_DIR}/pdfio-*.c)
add_library(pdfio STATIC ${QUILLON_PDFIO_SOURCES} ${QUILLON_PDFIO_DIR}/ttf.c)
target_include_directories(pdfio SYSTEM PUBLIC ${QUILLON_PDFIO_DIR})
target_compile_options(pdfio PRIVATE -w)
set_target_properties(pdfio PROPERTIES C_STANDARD 99 C_EXTENSIONS ON POSITION_INDEPENDENT_CODE ON)
target_link_libraries(pdfio PUBLIC quillon_zlib)
if(WIN32)
  # Its random numbers come from the CryptoAPI, which the lean Windows headers leave out.
  target_compile_options(pdfio PRIVATE -UWIN32_LEAN_AND_MEAN)
  target_link_libraries(pdfio PUBLIC advapi32)
else()
  target_link_libraries(pdfio PUBLIC m)
endif()

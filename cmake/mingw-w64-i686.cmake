# Cross build for 32-bit Windows with MinGW-w64 (posix threads), for the
# machines still on 32-bit Windows 7.
set(KESTRIVE_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

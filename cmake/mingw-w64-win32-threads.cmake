# The shipped DLL's build: MinGW g++ with the win32 thread model.
set(MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# The shipped DLL's build in the clang preset: clang 14 against the win32
# thread model's C++ library, linked by that model's g++ driver.
set(MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-clang.cmake)

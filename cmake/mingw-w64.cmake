# Cross build for 64-bit Windows with the MinGW-w64 toolchain. Its thread
# model is posix unless a toolchain file that includes this one says win32
# (MINGW_THREADS): the posix model has std::thread, which the tests and the
# simulated game need; the win32 model builds the DLL without the POSIX
# thread layer.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
if(NOT DEFINED MINGW_THREADS)
    set(MINGW_THREADS posix)
endif()
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-${MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-${MINGW_THREADS})
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything links the C and C++ runtimes statically: the DLL must load
# with nothing but Windows' own DLLs beside the game.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

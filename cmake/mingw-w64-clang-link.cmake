# Link rules of the clang Windows build: the MinGW g++ driver links, so the
# C++ runtime and its startup code are exactly those of the GCC build.
set(MINGW_LINKER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_CXX_LINK_EXECUTABLE
    "${MINGW_LINKER} <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> -Wl,--out-implib,<TARGET_IMPLIB> <LINK_LIBRARIES>")
set(CMAKE_CXX_CREATE_SHARED_LIBRARY
    "${MINGW_LINKER} <CMAKE_SHARED_LIBRARY_CXX_FLAGS> <LANGUAGE_COMPILE_FLAGS> <LINK_FLAGS> <CMAKE_SHARED_LIBRARY_CREATE_CXX_FLAGS> -o <TARGET> -Wl,--out-implib,<TARGET_IMPLIB> <OBJECTS> <LINK_LIBRARIES>")

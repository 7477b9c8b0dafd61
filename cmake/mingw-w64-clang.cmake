# Second compiler for the Windows build: clang 14 compiles every source for
# the MinGW-w64 target against the MinGW GCC's own C++ library headers, and
# the MinGW g++ driver links, as in the GCC build.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_TRIPLE})

set(MINGW_GCC_CXX_HEADERS /usr/lib/gcc/${MINGW_TRIPLE}/12-${MINGW_THREADS}/include/c++)
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${MINGW_GCC_CXX_HEADERS} -isystem ${MINGW_GCC_CXX_HEADERS}/${MINGW_TRIPLE} -isystem ${MINGW_GCC_CXX_HEADERS}/backward")

# Applied after CMake's own platform rules, which would link with clang.
set(CMAKE_USER_MAKE_RULES_OVERRIDE_CXX ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-clang-link.cmake)

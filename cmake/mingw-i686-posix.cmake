# The GoogleTest tests of the Windows build: GoogleTest needs std::mutex, which only the posix thread model
# of this MinGW-w64 provides. The program itself is built with mingw-i686.cmake.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)

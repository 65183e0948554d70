# The shipped setup.exe and unpack.dll: the win32 thread model gives the smallest programs.
set(VELK_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-common.cmake)

# Windows tests and author tools: the posix thread model has std::thread, which GoogleTest needs.
set(VELK_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-common.cmake)

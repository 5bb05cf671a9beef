# Cross build of the Qt-free parts for 64-bit Windows with mingw-w64:
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Tests run under Wine through scripts/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(tq7_mingw x86_64-w64-mingw32)
# The posix thread model: GoogleTest needs std::mutex and std::thread.
find_program(CMAKE_C_COMPILER NAMES ${tq7_mingw}-gcc-posix ${tq7_mingw}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${tq7_mingw}-g++-posix ${tq7_mingw}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${tq7_mingw}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${tq7_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# One self-contained .exe each, so Wine needs no DLLs of the compiler's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(ZLIB_USE_STATIC_LIBS ON)
get_filename_component(tq7_top "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${tq7_top}/scripts/wine-run.sh")
set(TQ7_QT_FREE_ONLY ON CACHE BOOL "Only the modules without Qt" FORCE)

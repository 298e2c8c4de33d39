# Cross-builds for 64-bit Windows with Debian's mingw-w64 (posix thread model: std::thread and std::mutex)
# against the library prefix that packaging/windows/build_libraries.sh makes:
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DSUPERVIVEDAS_WIN_PREFIX="$(packaging/windows/build_libraries.sh)"
# The prefix may also come from the environment variable of the same name.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_AR ${_triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${_triple}-ranlib CACHE FILEPATH "")

# try_compile projects read this file again without the cache: pass the prefix along.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SUPERVIVEDAS_WIN_PREFIX)
if(NOT SUPERVIVEDAS_WIN_PREFIX AND DEFINED ENV{SUPERVIVEDAS_WIN_PREFIX})
  set(SUPERVIVEDAS_WIN_PREFIX "$ENV{SUPERVIVEDAS_WIN_PREFIX}")
endif()
if(NOT SUPERVIVEDAS_WIN_PREFIX OR NOT EXISTS "${SUPERVIVEDAS_WIN_PREFIX}/lib/pkgconfig/sdl.pc")
  message(FATAL_ERROR "SUPERVIVEDAS_WIN_PREFIX must name the library prefix that "
    "packaging/windows/build_libraries.sh prints (got '${SUPERVIVEDAS_WIN_PREFIX}')")
endif()
set(SUPERVIVEDAS_WIN_PREFIX "${SUPERVIVEDAS_WIN_PREFIX}" CACHE PATH "Windows library prefix")

set(CMAKE_FIND_ROOT_PATH /usr/${_triple} "${SUPERVIVEDAS_WIN_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The host's pkg-config, reading only the prefix's .pc files (their paths are absolute already).
set(ENV{PKG_CONFIG_LIBDIR} "${SUPERVIVEDAS_WIN_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# libgcc and libstdc++ inside the exe; the prefix's bin/ holds every DLL that remains to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

find_program(SUPERVIVEDAS_WINE NAMES wine)
if(SUPERVIVEDAS_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${SUPERVIVEDAS_WINE}")
endif()

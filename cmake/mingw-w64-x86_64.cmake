# Cross-building for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The posix thread model gives std::thread and std::mutex; winpthread is linked statically
# with the C++ runtime, so the program needs only the DLLs of Windows itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KINETRACE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KINETRACE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KINETRACE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KINETRACE_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${KINETRACE_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${KINETRACE_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers of the target only: the cross prefix and what tools/windows_deps.sh
# installed (KINETRACE_WINDOWS_DEPS); programs still come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KINETRACE_MINGW_TRIPLE})
if(KINETRACE_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${KINETRACE_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static: libgcc, libstdc++ and winpthread.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run through Wine on the build machine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

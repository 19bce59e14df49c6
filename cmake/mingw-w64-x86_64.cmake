# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (make windows).
# The POSIX-thread flavour of the compiler is taken: its C++ runtime has
# std::thread and std::mutex, which GoogleTest needs. Every program is
# linked statically, so it needs no DLL beyond those Windows itself has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORV_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${ORV_MINGW_PREFIX}-g++-posix ${ORV_MINGW_PREFIX}-g++ REQUIRED)
# GoogleTest's project asks for a C compiler too.
find_program(CMAKE_C_COMPILER NAMES ${ORV_MINGW_PREFIX}-gcc-posix ${ORV_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ORV_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ORV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The C99 printf family (%zu, %lld) instead of the old runtime's own.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The tests run the programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

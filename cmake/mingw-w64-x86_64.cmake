# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix thread model, which
# std::thread and GoogleTest need). libgcc, libstdc++ and winpthread are linked statically so
# the executables run under Wine or on Windows without the toolchain's DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test executables are run through Wine (gtest_discover_tests, ctest).
find_program(STRIPSTOCK_WINE NAMES wine64 wine)
if(STRIPSTOCK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${STRIPSTOCK_WINE})
endif()

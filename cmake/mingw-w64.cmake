# Cross-compiles the static Windows program with Debian's MinGW-w64 (POSIX thread model,
# which GoogleTest needs) and runs its tests under Wine. Included by the toolchain file of
# each processor, which sets tarvo_mingw_triple and tarvo_wine_bits first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${tarvo_mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${tarvo_mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${tarvo_mingw_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${tarvo_mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No DLLs but Windows' own: the program is copied onto lab PCs as a single file.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine${tarvo_wine_bits}-run.sh)

# Cross toolchain: Debian's MinGW-w64, posix thread model (std::thread, std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
# The linked programs and DLLs keep their symbols but not the debug sections:
# with them each test program is over 100 MB and the tree outgrows a small disk.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--strip-debug")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-Wl,--strip-debug")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-Wl,--strip-debug")

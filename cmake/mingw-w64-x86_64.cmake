# Toolchain for cross-building Quorel for 64-bit Windows with Debian's
# mingw-w64 (posix thread model), running the resulting programs under Wine.
#
#   cmake --preset windows          (uses this file)
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUOREL_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${QUOREL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUOREL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUOREL_MINGW_TRIPLET}-windres)

# Look for headers and libraries only in the target's sysroot, for programs
# only on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${QUOREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the C and C++ runtimes (and winpthreads) statically so that every .exe
# runs on a bare Windows without any mingw DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# add_test() commands of executables and try_run() go through Wine.
# CMAKE_CURRENT_LIST_DIR (not CMAKE_SOURCE_DIR) so that try_compile projects,
# which re-read this file from another source dir, see the same path.
get_filename_component(_quorel_repo_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_quorel_repo_root}/scripts/wine-run")
unset(_quorel_repo_root)

# Cross-compiles for 64-bit Windows with Debian's clang, against the headers,
# CRT and libstdc++ of Debian's MinGW-w64 GCC (win32 thread model), linked by
# the MinGW-w64 ld. A second compiler keeps GCC-only constructs out of the code.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
# The MinGW-w64 binutils, as in the GCC build; llvm-ar is only recommended by
# Debian's clang and may be missing.
set(CMAKE_AR /usr/bin/${TOOLCHAIN_PREFIX}-ar)
set(CMAKE_RANLIB /usr/bin/${TOOLCHAIN_PREFIX}-ranlib)

# Without a sysroot clang takes /usr as the MinGW-w64 base and searches the
# host's /usr/include and /usr/lib as well.
set(CMAKE_SYSROOT /usr/${TOOLCHAIN_PREFIX})

# libstdc++ and libgcc come from GCC's own folder. Clang 14 does not recognise
# Debian's version names there (12-win32, 12-posix), so it is named
# explicitly: the win32 one, which needs no winpthread, as in the GCC build.
execute_process(
    COMMAND ${TOOLCHAIN_PREFIX}-g++-win32 -print-libgcc-file-name
    OUTPUT_VARIABLE _tolvane_libgcc
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE _tolvane_result)
if(NOT _tolvane_result EQUAL 0 OR NOT EXISTS "${_tolvane_libgcc}")
    message(FATAL_ERROR "${TOOLCHAIN_PREFIX}-g++-win32 (g++-mingw-w64-x86-64-win32) is needed for libstdc++")
endif()
get_filename_component(_tolvane_gcc_dir "${_tolvane_libgcc}" DIRECTORY)
set(CMAKE_CXX_FLAGS_INIT
    "-stdlib++-isystem ${_tolvane_gcc_dir}/include/c++ -stdlib++-isystem ${_tolvane_gcc_dir}/include/c++/${TOOLCHAIN_PREFIX} -stdlib++-isystem ${_tolvane_gcc_dir}/include/c++/backward")
# The MinGW-w64 ld.bfd links, whatever clang's default linker: the linker
# options the targets give are those of the GCC build.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=bfd -L${_tolvane_gcc_dir}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=bfd -L${_tolvane_gcc_dir}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-fuse-ld=bfd -L${_tolvane_gcc_dir}")

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

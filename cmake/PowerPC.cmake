# 32-bit PowerPC, a big-endian machine, for the tests of what is stored in a
# byte order of its own (the preferences block, resource files). clang
# cross-compiles: Debian's PowerPC gcc cannot be installed beside the
# multilib gcc every other build needs. The tests run under qemu.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR powerpc)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET powerpc-linux-gnu)
set(CMAKE_CXX_COMPILER_TARGET powerpc-linux-gnu)
set(HZ_POWERPC_LIBS /usr/powerpc-linux-gnu/lib)
set(CMAKE_C_FLAGS_INIT "-B${HZ_POWERPC_LIBS}")
set(CMAKE_CXX_FLAGS_INIT "-B${HZ_POWERPC_LIBS}")
# Static, so that qemu needs no PowerPC loader or library path.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${HZ_POWERPC_LIBS} -static -Wl,--no-warn-rwx-segments")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-ppc)
set(HZ_BYTE_ORDER_ONLY ON CACHE BOOL "Build only the byte-order code and its tests" FORCE)

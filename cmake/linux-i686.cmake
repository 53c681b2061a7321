# The native benchmarks as 32-bit Linux programs (g++-multilib, the i386 giflib and zlib), built with the
# code generation of the shipped 32-bit program, where the kernel runs 32-bit processes.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
# Only the i386 libraries: never the 64-bit ones beside them.
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)

# Windows programs are not position-independent, so neither are these (Debian's compiler makes
# position-independent executables unless told not to, which costs a 32-bit program a register).
set(CMAKE_C_FLAGS_INIT "-m32 -fno-pie")
set(CMAKE_CXX_FLAGS_INIT "-m32 -fno-pie")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -no-pie")
include(${CMAKE_CURRENT_LIST_DIR}/i686-flags.cmake)

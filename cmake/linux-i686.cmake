# The portable core as 32-bit Linux programs, for its tests: the pointer and
# size_t widths and the x87 arithmetic (80-bit intermediates, truncation on
# store) of the shipped i686 Windows build, on a machine that runs no 32-bit
# Wine. The flags are the mingw i686 compiler's own defaults. Two things stay
# Linux's: wchar_t has 4 bytes (the tests' Windows variants cover 2), and a
# double or 64-bit integer inside a structure is aligned to 4 bytes, not 8
# (-malign-double would change that, and with it the layouts libstdc++ and
# glibc were built with).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(telvane_i686_flags "-m32 -march=pentiumpro -mfpmath=387")
set(CMAKE_C_FLAGS_INIT "${telvane_i686_flags}")
set(CMAKE_CXX_FLAGS_INIT "${telvane_i686_flags}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
# Libraries are looked for among the i386 ones only: Debian's 64-bit
# GoogleTest, benchmark and expat cannot link here.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)

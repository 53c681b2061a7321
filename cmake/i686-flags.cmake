# Code generation of every 32-bit x86 build: the program we ship and the native 32-bit benchmarks that
# measure it both take their flags from here (included by their toolchain files, applied to every target
# by the top CMakeLists.txt), so that what is measured is what runs.
#
# SSE2 is assumed. Windows 8 and later do not install on a processor without it, and the platform's own
# compiler has generated SSE2 for 32-bit programs by default since Visual Studio 2012, so a processor that
# lacks it runs no current Windows. With it the Big5/GB walk finds its pairs sixteen bytes at a time, and
# floating point leaves the x87 stack. MinGW's compiler assumes only the 4-byte stack alignment that
# Windows guarantees and realigns where a 16-byte value needs it, so callbacks from the system stay safe.
set(KORVIMO_I686_FLAGS -march=i686 -msse2 -mfpmath=sse)

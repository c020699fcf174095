# 32-bit Linux (i686) with the system's g++ and its multilib runtime: the
# module's own width on the host it is made for, where size_t has 32 bits.
#
#   cmake -S . -B build-m32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-linux-i686.cmake
#
# Libraries that exist only for 64 bits are not found: GoogleTest is built
# from its sources (cmake/googletest.cmake) and the tool's export formats
# that need the asset and DXF libraries are left out.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
# Floats in SSE registers, as the host's own compiler keeps them: the x87
# unit would hold single-precision sums with excess precision, and the same
# scene would convert to other coordinates than on every other build.
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -m32)
# 32-bit programs run on this machine as they are.
set(CMAKE_CROSSCOMPILING_EMULATOR "")

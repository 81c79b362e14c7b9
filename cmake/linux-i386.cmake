# Static 32-bit x86 Linux programs with the floating point of the i686
# Windows build (SSE2). This machine's kernel runs no 32-bit code: the test
# programs run through qemu-i386.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(STREVO_32BIT_FLAGS "-m32 -msse2 -mfpmath=sse -D_FILE_OFFSET_BITS=64 -D_TIME_BITS=64")
set(CMAKE_C_FLAGS_INIT "${STREVO_32BIT_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${STREVO_32BIT_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
set(STREVO_NATIVE32 ON)

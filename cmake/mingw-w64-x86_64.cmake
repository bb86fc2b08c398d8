# Cross build for 64-bit Windows with Debian's mingw-w64. The posix thread
# model is needed because refmill sorts and formats on std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The program folder is unzipped onto machines without the compiler's DLLs:
# the C++ runtime and winpthreads are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Symbols help no user of a release build; they would double its size.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# For the libraries built by their own CMake inside ours (third_party/),
# which get this file again whatever path it was given by.
set(MINGW_TOOLCHAIN_FILE ${CMAKE_CURRENT_LIST_FILE})

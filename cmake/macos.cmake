# What both macOS toolchain files share: Debian's clang and lld (clang runs
# ld64.lld for an Apple target, a Mach-O linker that, like Apple's, refuses
# options it does not know) building a Mach-O program for `macos_arch`
# against macOS 13's C and C++ headers and libSystem stubs, as zig's npm
# package carries them: TOLVARIN_MACOS_SDK is that package's lib folder, with
# libc/darwin/libSystem.tbd beside libSystem.13.tbd (.ci/macos-sdk fetches
# and lays it out). Clang's own headers stay in use. The program is built and
# linked, not run. On a Mac, build without this file: Apple's clang and SDK.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR ${macos_arch})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${macos_arch}-apple-macos13)
set(CMAKE_OSX_DEPLOYMENT_TARGET 13.0)
set(TOLVARIN_MACOS_SDK "${CMAKE_SOURCE_DIR}/build-macos-sdk/package/lib" CACHE PATH "zig's lib folder")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TOLVARIN_MACOS_SDK)
if(NOT EXISTS ${TOLVARIN_MACOS_SDK}/libc/darwin/libSystem.tbd)
  message(FATAL_ERROR "no macOS headers and libSystem at ${TOLVARIN_MACOS_SDK}: run .ci/macos-sdk")
endif()
set(headers ${TOLVARIN_MACOS_SDK}/libc/include)
string(JOIN " " CMAKE_CXX_FLAGS_INIT -nostdlibinc -nostdinc++
       -isystem ${TOLVARIN_MACOS_SDK}/libcxx/include -isystem ${headers}/${zig_arch}-macos.13-none
       -isystem ${headers}/any-macos.13-any -isystem ${headers}/any-macos-any)
# CMake hands the compile options to the link too, where the header ones
# have nothing to do.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib++ -L${TOLVARIN_MACOS_SDK}/libc/darwin -Wno-unused-command-line-argument")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

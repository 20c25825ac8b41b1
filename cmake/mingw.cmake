# What both Windows toolchain files share: Debian's mingw-w64 cross compiler
# for `mingw_triple`, and a program that runs alone, with no runtime DLLs
# beside it, that carries no link time (the same sources make the same
# program), and that asks for Windows Vista (6.0) or later, the first with
# every system call it imports (GetFileInformationByHandleEx), so that an
# older Windows refuses it with its own message.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_CXX_COMPILER ${mingw_triple}-g++)
set(CMAKE_RC_COMPILER ${mingw_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp \
-Wl,--major-os-version,6,--minor-os-version,0,--major-subsystem-version,6,--minor-subsystem-version,0")

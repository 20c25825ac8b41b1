# What the Linux cross toolchain files share: Debian's g++ cross compiler for
# `cross_triple`, and its programs run under qemu-user (package qemu-user)
# with that target's libraries, without a binfmt handler, as the processor
# `qemu_cpu` where one is named.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_CXX_COMPILER ${cross_triple}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${cross_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${qemu_arch} -L /usr/${cross_triple})
if(qemu_cpu)
  list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -cpu ${qemu_cpu})
endif()

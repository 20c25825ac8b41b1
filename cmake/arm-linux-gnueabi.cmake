# Cross-compiles for 32-bit ARM Linux with Debian's g++-arm-linux-gnueabi,
# whose code and C library are ARMv5TE: linked static, the program runs on
# every 32-bit ARM board, the ARMv6 Raspberry Pi Zero and Pi 1 among them.
# Tested under qemu-arm as an ARM1176, the Pi Zero's processor.
# Use: cmake --preset arm-static
set(cross_triple arm-linux-gnueabi)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(qemu_arch arm)
set(qemu_cpu arm1176)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

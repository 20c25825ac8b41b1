# Cross-compiles for 32-bit ARM Linux (hard float) with Debian's
# g++-arm-linux-gnueabihf, tested under qemu-arm. Use: cmake --preset armhf
set(cross_triple arm-linux-gnueabihf)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(qemu_arch arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

# Cross-compiles for 64-bit ARM (AArch64) Linux with Debian's
# g++-aarch64-linux-gnu, tested under qemu-aarch64. Use: cmake --preset arm64
set(cross_triple aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(qemu_arch aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

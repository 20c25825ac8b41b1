# Cross-compiles for big-endian IBM Z (s390x) Linux with Debian's
# g++-s390x-linux-gnu, tested under qemu-s390x. Use: cmake --preset s390x
set(cross_triple s390x-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(qemu_arch s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

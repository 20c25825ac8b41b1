# Cross-compiles for macOS on Intel (x86_64) with Debian's clang and lld;
# built and linked, not run. Use: cmake --workflow --preset macos-x86_64
set(macos_arch x86_64)
set(zig_arch x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/macos.cmake)

# Cross-compiles for macOS on Apple silicon (arm64) with Debian's clang and
# lld; built and linked, not run. Use: cmake --workflow --preset macos-arm64
set(macos_arch arm64)
set(zig_arch aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/macos.cmake)

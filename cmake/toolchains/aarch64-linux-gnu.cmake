# 64-bit ARM boards (Debian arm64): cmake -DCMAKE_TOOLCHAIN_FILE=this-file ...
set(SHMUP_CROSS_TRIPLET aarch64-linux-gnu)
set(SHMUP_CROSS_PROCESSOR aarch64)
set(SHMUP_CROSS_DEBARCH arm64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)

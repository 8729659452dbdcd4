# 32-bit ARMv7 boards with hard float (Debian armhf): cmake -DCMAKE_TOOLCHAIN_FILE=this-file ...
set(SHMUP_CROSS_TRIPLET arm-linux-gnueabihf)
set(SHMUP_CROSS_PROCESSOR armv7l)
set(SHMUP_CROSS_DEBARCH armhf)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)

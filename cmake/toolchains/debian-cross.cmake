# Shared by the board toolchain files: cross-compiles with Debian's cross g++
# against a sysroot of the board's Debian packages (scripts/cross makes one),
# with the build machine's own Qt tools (moc) doing the code generation.
#
# The including file sets SHMUP_CROSS_TRIPLET, SHMUP_CROSS_PROCESSOR and
# SHMUP_CROSS_DEBARCH first. The sysroot is SHMUP_SYSROOT (cache or
# environment), by default build-cross/<debarch>/sysroot in the source tree.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${SHMUP_CROSS_PROCESSOR})
set(CMAKE_LIBRARY_ARCHITECTURE ${SHMUP_CROSS_TRIPLET})

if(NOT SHMUP_SYSROOT)
  if(DEFINED ENV{SHMUP_SYSROOT})
    set(SHMUP_SYSROOT "$ENV{SHMUP_SYSROOT}")
  else()
    get_filename_component(SHMUP_SYSROOT
      "${CMAKE_CURRENT_LIST_DIR}/../../build-cross/${SHMUP_CROSS_DEBARCH}/sysroot" ABSOLUTE)
  endif()
endif()
if(NOT EXISTS "${SHMUP_SYSROOT}/usr/include")
  message(FATAL_ERROR "No sysroot at ${SHMUP_SYSROOT}: run scripts/cross ${SHMUP_CROSS_DEBARCH}, "
                      "or point SHMUP_SYSROOT at one")
endif()
# The compiler checks run in their own projects; they need the sysroot too.
set(ENV{SHMUP_SYSROOT} "${SHMUP_SYSROOT}")

set(CMAKE_C_COMPILER ${SHMUP_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${SHMUP_CROSS_TRIPLET}-g++)
set(CMAKE_SYSROOT "${SHMUP_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH "${SHMUP_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The sysroot's Qt is the board's own build, whose moc and friends are ARM
# programs: Qt takes its tools from the build machine's Qt instead.
if(NOT QT_HOST_PATH)
  set(QT_HOST_PATH /usr)
endif()
if(NOT QT_HOST_PATH_CMAKE_DIR)
  execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH
                  OUTPUT_VARIABLE _shmup_build_multiarch OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET)
  if(NOT _shmup_build_multiarch)
    set(_shmup_build_multiarch ${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu)
  endif()
  set(QT_HOST_PATH_CMAKE_DIR ${QT_HOST_PATH}/lib/${_shmup_build_multiarch}/cmake)
endif()

# The Debian architecture of the package CPack makes.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${SHMUP_CROSS_DEBARCH})

# Debian's hardening flags, as a Debian package build gets them from
# dpkg-buildflags with every hardening feature on: fortified C library calls,
# the stack protector, format checks, and a read-only relocation table bound
# at start (BIND_NOW); GCC makes position-independent executables by default.
# Only those: the build type keeps choosing -O and -g. None of them changes
# the arithmetic, so the traces stay the same on every architecture.
option(SHMUP_HARDENING "Build with Debian's hardening flags (dpkg-buildflags)" ON)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(SHMUP_HARDENING AND DPKG_BUILDFLAGS)
  # The board's flags when cross-building: they differ between architectures.
  set(shmup_flags_env DEB_BUILD_MAINT_OPTIONS=hardening=+all)
  if(CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
    list(APPEND shmup_flags_env DEB_HOST_ARCH=${CPACK_DEBIAN_PACKAGE_ARCHITECTURE})
  endif()
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env ${shmup_flags_env} ${DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(g|O).*|-prefix-map=")
    # The sanitizers replace the fortified calls with checks of their own.
    if(SHMUP_SANITIZE)
      list(FILTER flags EXCLUDE REGEX "^-D_FORTIFY_SOURCE")
    endif()
    # Fortified calls need the optimiser; glibc warns about them without it.
    list(TRANSFORM flags REPLACE "^(-D_FORTIFY_SOURCE.*)" "$<$<NOT:$<CONFIG:Debug>>:\\1>")
    set(shmup_hardening_${kind} ${flags})
  endforeach()
  add_compile_options(${shmup_hardening_CPPFLAGS} ${shmup_hardening_CXXFLAGS})
  add_link_options(${shmup_hardening_LDFLAGS})
  set(shown ${shmup_hardening_CPPFLAGS} ${shmup_hardening_CXXFLAGS} ${shmup_hardening_LDFLAGS})
  list(JOIN shown " " shown)
  message(STATUS "Hardening: ${shown}")
elseif(SHMUP_HARDENING)
  message(STATUS "Hardening: off, dpkg-buildflags not found (Debian: dpkg-dev)")
endif()

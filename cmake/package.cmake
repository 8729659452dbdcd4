# Install layout and the Debian package (cpack in the build folder). Where
# things go: cmake/layout.cmake.

# The installed programs look for the sprite sheet in the data folder too.
target_link_libraries(shmup PRIVATE shmup_installed_data)
target_link_libraries(shmup-trace PRIVATE shmup_installed_data)

# shmup-trace goes with the game: it is the game played without a window, to
# check recorded games, and Debian keeps a game's commands in /usr/games.
install(TARGETS shmup shmup-trace RUNTIME DESTINATION ${SHMUP_INSTALL_GAMESDIR})
install(FILES ${PROJECT_SOURCE_DIR}/img/edge1.png DESTINATION ${SHMUP_INSTALL_GAMEDATADIR})
# A stripped install (a package's) also drops the compiler's notes, as Debian's
# dh_strip does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program shmup shmup-trace)
      execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${SHMUP_INSTALL_GAMESDIR}/\${program}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")

# The package's architecture: the toolchain file's for a board, else this machine's.
if(NOT CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
  execute_process(COMMAND dpkg --print-architecture
                  OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT CPACK_DEBIAN_PACKAGE_ARCHITECTURE)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${CMAKE_SYSTEM_PROCESSOR})
  endif()
endif()

# Runtime dependencies, named rather than worked out by dpkg-shlibdeps, which
# cannot read a board's libraries when cross-building. The C library floor is
# the newest symbol version the binaries may use; the package check holds the
# binaries to it.
set(SHMUP_DEB_LIBC_MIN 2.34 CACHE STRING "Oldest libc6 the package declares it runs on")
set(shmup_depends "libc6 (>= ${SHMUP_DEB_LIBC_MIN})" libstdc++6 libgcc-s1)
if(QT_VERSION_MAJOR EQUAL 6)
  # Of the platform plugins libqt6gui6 holds linuxfb and xcb, libqt6opengl6
  # eglfs, qt6-qpa-plugins vnc and the generic input plugins. libqt6opengl6 and
  # libqt6openglwidgets6 also hold the OpenGL presenter's classes.
  list(APPEND shmup_depends "libqt6core6 (>= ${QT_VERSION})" "libqt6gui6 (>= ${QT_VERSION})"
       "libqt6widgets6 (>= ${QT_VERSION})" libqt6opengl6 libqt6openglwidgets6 qt6-qpa-plugins)
else()
  # libqt5gui5 holds the platform plugins (linuxfb, eglfs, xcb).
  list(APPEND shmup_depends "libqt5core5a (>= ${QT_VERSION})" "libqt5gui5 (>= ${QT_VERSION})"
       "libqt5widgets5 (>= ${QT_VERSION})")
endif()
if(SHMUP_SDL)
  list(APPEND shmup_depends libsdl2-2.0-0)
endif()
list(JOIN shmup_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# Qt's Wayland platform plugin: recommended, not required. The game runs
# without it on a board's framebuffer, over VNC and on X11 (XWayland too), but
# on a Wayland desktop it then runs through XWayland, and under a compositor
# with no XWayland (such as cage) it cannot start at all. Recommends are
# installed by default, so a desktop gets it; a board's minimal install can
# leave its Wayland libraries out.
if(QT_VERSION_MAJOR EQUAL 6)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
else()
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qtwayland5)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME shmup)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "shmup maintainers <maintainers@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small vertical-scrolling shoot-'em-up")
set(CPACK_PACKAGE_DESCRIPTION
    "A ship, aiming and splitting enemies, bullets and explosions over a falling
starfield, in a 640 by 480 window; made for embedded Linux boards (Qt's
linuxfb or eglfs platform). Also holds shmup-trace, which runs the game
headless and prints each frame, to check replays.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_FILE_NAME "shmup_${PROJECT_VERSION}_${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}.deb")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# systemd learns of the kiosk unit and forgets it, never enabling or starting it.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/dist/debian/postinst
    ${PROJECT_SOURCE_DIR}/dist/debian/prerm ${PROJECT_SOURCE_DIR}/dist/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

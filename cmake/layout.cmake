# Where an install puts the game, relative to its prefix: Debian's places for a
# game, which `cmake --install --prefix DIR` follows as a package does.
#   games/shmup, games/shmup-trace         the programs (/usr/games)
#   share/games/shmup/edge1.png            the sprite sheet
#   share/man, share/applications, ...     the usual GNU places
include(GNUInstallDirs)
set(SHMUP_INSTALL_GAMESDIR games CACHE STRING "Where the programs go, under the prefix")
set(SHMUP_INSTALL_GAMEDATADIR ${CMAKE_INSTALL_DATADIR}/games/shmup
    CACHE STRING "Where the sprite sheet goes, under the prefix")

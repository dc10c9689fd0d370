# Installs the program like any other desktop program, packs the install
# tree as a Debian package (cd build/release && cpack -G DEB), and registers
# the checks of both with ctest (release build only).
#
#   bin/velquor
#   share/applications/<id>.desktop
#   share/metainfo/<id>.metainfo.xml
#   share/icons/hicolor/<size>x<size>/apps/<id>.png   (16, 24, 32, 48, 256)
#   share/man/man1/velquor.1
#
# The files come from data/; the icons are extracted from src/res/icons/velquor.ico
# by scripts/extract-icons and committed, so installing needs no image tool.

include(GNUInstallDirs)

# The desktop file, metainfo and icon name. It is reverse-DNS as AppStream
# asks, under the reserved top-level domain .invalid: the project owns no
# domain. The running window is matched to it by StartupWMClass=velquor.
set(VELQUOR_APP_ID invalid.lumorak.velquor)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS velquor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# `velquor --disasm` bounds and names the kernels' code by the program's own
# symbol table (.symtab), which a full strip removes: the installed program
# loses only its debugging information (about 190 KB of the 1.26 MB stay).
if(CMAKE_STRIP)
  install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/velquor\"
                  COMMAND_ERROR_IS_FATAL ANY)")
endif()
install(FILES ${PROJECT_SOURCE_DIR}/data/${VELQUOR_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/${VELQUOR_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 256)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/velquor-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${VELQUOR_APP_ID}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/data/velquor.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velquor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Lumorak developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "benchmark of how fast C++ arrays are filled")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Stripped above of debugging information only; see install(TARGETS velquor).
set(CPACK_STRIP_FILES OFF)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME velquor)
# .invalid is reserved: the address cannot belong to anyone.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Lumorak developers <noreply@lumorak.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the Description's first line; this is its body.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Lumorak shows C++ developers how fast different kinds of arrays can be
filled: int arrays from new and malloc, std::vector<int> filled by
push_back, at() or [], arrays of CString and std::string, fixed local
arrays and big global arrays.

It is one Japanese dialog window (Qt 6 Widgets): press a button, one timed
fill runs, and its time appears beside the button in milliseconds. A batch
mode (velquor --batch) runs the same fills without a window and reports the
times as a table, CSV or JSON; velquor --disasm shows the machine code of
each timed loop and, with --hot, which instructions the time goes to.

The program stores nothing and uses no network.")
# What the program needs at run time, and nothing else:
#  - the packages holding the libraries it is linked against (objdump -p
#    velquor | grep NEEDED: libQt6Widgets, libQt6Gui, libQt6Core, libstdc++,
#    libgcc_s, libm, libc), with the minimum versions the symbols it uses
#    call for: dpkg-shlibdeps works both out when cpack runs (on Debian 12:
#    libc6 (>= 2.34), libgcc-s1 (>= 3.0), libqt6core6 (>= 6.4.0),
#    libqt6gui6 (>= 6.1.2), libqt6widgets6 (>= 6.3.0), libstdc++6 (>= 11)).
#    The disassembler (velquor_disasm) links libZydis: dpkg-shlibdeps adds
#    its package libzydis4.0 by itself (scripts/check-package refuses a
#    dependency on a library the program does not load);
#  - the Qt platform plugins: libqxcb opens the window on X11, libqoffscreen
#    runs --batch without one; libqt6gui6 only recommends them;
#  - a font with Japanese glyphs for the Japanese window;
#  - Qt's Japanese translations (qtbase_ja.qm), so that Qt's own texts, such
#    as the edit fields' right-click menu, are Japanese like the rest.
# scripts/check-package checks the result against the packaged program.
# (cpack needs dpkg-dev and file for this; scripts/setup installs them.)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic, qt6-translations-l10n")
include(CPack)

# The checks of the install tree and of the package, in the release build.
if(VELQUOR_TESTS AND NOT VELQUOR_SANITIZE)
  add_test(NAME install_tree COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-install ${CMAKE_BINARY_DIR})
  add_test(NAME debian_package COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-package ${CMAKE_BINARY_DIR})
  # Both install from the build directory (which writes its install_manifest.txt).
  set_tests_properties(install_tree debian_package PROPERTIES TIMEOUT 60 RESOURCE_LOCK velquor_install)
endif()

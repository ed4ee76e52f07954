# Installation in the standard places of a Linux desktop, and the Debian
# package built from it by CPack.
#
# `cmake --install` puts the programs in bin/, the desktop entry in
# share/applications/ (the desktop's menu lists it under Development), the
# icon in the hicolor theme, the AppStream metadata in share/metainfo/, and
# the manual pages, copyright and changelog where Debian expects them.
# `cpack -G DEB` in the build folder then builds qvtw2k_<version>_<arch>.deb;
# scripts/package does both and checks the result; so does the ctest
# "package" (label package) in a build with tests.

include(GNUInstallDirs)

set(QVT_APP_ID io.github.qvtw2k.QVTW2K)
set(QVT_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(QVT_DEB_RELEASE 1)
set(QVT_DEB_VERSION ${PROJECT_VERSION}-${QVT_DEB_RELEASE})

if(TARGET qvtw2k)
    install(TARGETS qvtw2k RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${QVT_PACKAGING_DIR}/${QVT_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${QVT_PACKAGING_DIR}/${QVT_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${QVT_PACKAGING_DIR}/qvtw2k.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
install(TARGETS kvbsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Debian wants the manual pages and the changelog compressed without a time
# stamp, so that a rebuild gives the same bytes.
set(QVT_DOC_BUILD ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${QVT_DOC_BUILD})
configure_file(${QVT_PACKAGING_DIR}/changelog ${QVT_DOC_BUILD}/changelog.Debian @ONLY)
find_program(QVT_GZIP gzip REQUIRED)
foreach(source IN ITEMS ${QVT_PACKAGING_DIR}/qvtw2k.1 ${QVT_PACKAGING_DIR}/kvbsim.1
                        ${QVT_DOC_BUILD}/changelog.Debian)
    get_filename_component(name ${source} NAME)
    execute_process(COMMAND ${QVT_GZIP} -9nc ${source} OUTPUT_FILE ${QVT_DOC_BUILD}/${name}.gz
                    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QVT_PACKAGING_DIR}/qvtw2k.1
                                                                ${QVT_PACKAGING_DIR}/kvbsim.1)
if(TARGET qvtw2k)
    install(FILES ${QVT_DOC_BUILD}/qvtw2k.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${QVT_DOC_BUILD}/kvbsim.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QVT_PACKAGING_DIR}/copyright ${QVT_DOC_BUILD}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qvtw2k)
install(FILES ${QVT_PACKAGING_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME qvtw2k)

# The package built and checked from this build folder (about 40 s, most of
# it lintian); scripts/test runs it after the build.
if(QVT_BUILD_TESTS AND TARGET qvtw2k)
    add_test(NAME package COMMAND ${QVT_PACKAGING_DIR}/check-package ${PROJECT_BINARY_DIR})
    set_tests_properties(package PROPERTIES LABELS package TIMEOUT 300)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qvtw2k)
set(CPACK_PACKAGE_VENDOR "The QVTW2K developers")
set(CPACK_PACKAGE_CONTACT "The QVTW2K developers <qvtw2k@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "terminal and development companion for KVB motion controllers")
set(CPACK_PACKAGE_DESCRIPTION
    "QVTW2K is a screen-editor terminal on the command interpreter of the KVB
family of motion controllers, on a serial line or a USB-serial adapter, with
program, point and MBK transfers, a variable watch, break points, a task
list, an IO checker and a web command reference. The simulated controller
kvbsim is included for demonstrations.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QVT_DEB_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link come from dpkg-shlibdeps; what they start
# or load at run time is named here: Qt's platform plugins, the desktop's
# opener for folders and the web reference, and a Japanese font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)

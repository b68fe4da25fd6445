# The Debian package: `cmake --workflow --preset package`, or `cpack -G DEB` in a build
# configured with QELT_SYSTEM_LAYOUT (the "package" preset does both).

if(QELT_SYSTEM_LAYOUT)
    set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
    install(FILES
        ${packaging_dir}/systems.qelt.Addrix.desktop
        ${packaging_dir}/systems.qelt.Reelvo.desktop
        ${packaging_dir}/systems.qelt.Livano.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${packaging_dir}/systems.qelt.Suite.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    # The same artwork the programs carry as their window icon.
    foreach(size 16 24 32 48 64 128 256 512)
        install(FILES ${PROJECT_SOURCE_DIR}/viewer-common/icon/QELT_${size}x${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME qelt-suite.png)
    endforeach()
    install(FILES ${PROJECT_SOURCE_DIR}/viewer-common/icon/QELT.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME qelt-suite.svg)
endif()

set(CPACK_PACKAGE_NAME qelt-suite)
set(CPACK_PACKAGE_VENDOR "QELT Systems")
set(CPACK_PACKAGE_CONTACT "QELT Systems <support@qelt.systems>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "thermal-infrared camera suite: Addrix, Reelvo and Livano")
set(CPACK_PACKAGE_DESCRIPTION
"Addrix finds GigE Vision cameras and edits their persistent IP configuration.
Reelvo plays thermal-infrared image and movie files (FITS, TIFF, PNG, BMP, JPEG)
with palettes, image enhancement, a spot meter and measurement regions.
Livano shows a GigE Vision thermal camera's live image with the same tools and
the camera's own control panel.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY ${CPACK_PACKAGE_NAME})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://qelt.systems/)
# Library dependencies come from the binaries; our own libraries are private to the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
# What the binaries cannot show: the QML modules the windows import, the platform
# plugins that open a window, and the image plugin Reelvo reads TIFF files with.
set(qelt_runtime_packages
    qml6-module-qtqml
    qml6-module-qtqml-models
    qml6-module-qtqml-workerscript
    qml6-module-qtquick
    qml6-module-qtquick-controls
    qml6-module-qtquick-layouts
    qml6-module-qtquick-templates
    qml6-module-qtquick-window
    qml6-module-qt-labs-platform
    qml6-module-qtcharts
    qt6-qpa-plugins
    qt6-image-formats-plugins
)
list(JOIN qelt_runtime_packages ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# qelt-host-check reads the firewall rules with nft when it is there.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS nftables)

set(CPACK_GENERATOR DEB)
include(CPack)

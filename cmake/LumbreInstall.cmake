# Installing the two programs like desktop programs (`cmake --install build --prefix P`) and the Debian
# package (`cpack -G DEB` in the build directory): the programs, one desktop entry and one AppStream
# metainfo file each, and the kit's icon in the hicolor theme, made from ui/recursos/lumbre.ico; and the
# classroom server tomo-servidor with its systemd unit.
include(GNUInstallDirs)

set(LUMBRE_TAMANOS_DE_ICONO 16 24 32 48 64 128 256)
set(LUMBRE_ICONOS_DIR ${CMAKE_BINARY_DIR}/iconos)
set(LUMBRE_ICONOS "")
foreach(lado IN LISTS LUMBRE_TAMANOS_DE_ICONO)
    list(APPEND LUMBRE_ICONOS ${LUMBRE_ICONOS_DIR}/${lado}x${lado}/apps/lumbre.png)
endforeach()
add_executable(iconos tools/iconos.cpp)
target_link_libraries(iconos PRIVATE Qt6::Gui)
add_custom_command(
    OUTPUT ${LUMBRE_ICONOS}
    COMMAND iconos ${PROJECT_SOURCE_DIR}/ui/recursos/lumbre.ico ${LUMBRE_ICONOS_DIR} lumbre ${LUMBRE_TAMANOS_DE_ICONO}
    DEPENDS iconos ${PROJECT_SOURCE_DIR}/ui/recursos/lumbre.ico
    COMMENT "Iconos del tema hicolor"
    VERBATIM)
add_custom_target(iconos_hicolor ALL DEPENDS ${LUMBRE_ICONOS})

install(TARGETS tomo forja tomo-servidor tomo-servidor-imagen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The classroom server as a service: installed, never enabled or started by the package (see the README).
install(FILES packaging/tomo-servidor.service DESTINATION lib/systemd/system)
install(FILES packaging/org.lumbre.tomo.desktop packaging/org.lumbre.forja.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/org.lumbre.tomo.metainfo.xml packaging/org.lumbre.forja.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${LUMBRE_ICONOS_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# The Debian package. The shared libraries the programs link (Qt and whatever else) become dependencies
# through dpkg-shlibdeps; what they load or read at run time without linking is declared here, one
# package per list entry.
set(LUMBRE_DEB_DEPENDE
    qt6-qpa-plugins              # the platform plugins: without them no window opens
    qt6-translations-l10n        # "Aceptar", "Cancelar"... in the standard dialogs
    fonts-dejavu-core            # a proportional default face for menus and message boxes
    fonts-liberation             # the faces the windows were laid out with
)
set(LUMBRE_DEB_RECOMIENDA
    qt6-image-formats-plugins    # illustrations in TIFF, WebP and other formats
    libqt6svg6                   # SVG pictures of a ZIM file's articles, converted when they are imported
    hunspell-es                  # dictionary look-ups under the Spanish stem of a word; the editor's spelling
)
list(JOIN LUMBRE_DEB_DEPENDE ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
list(JOIN LUMBRE_DEB_RECOMIENDA ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
set(CPACK_PACKAGE_NAME lumbre)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Proyecto Lumbre <lumbre@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "enciclopedias de artículos ilustrados: lector (tomo) y editor (forja)")
set(CPACK_PACKAGE_DESCRIPTION "Tomo muestra los artículos de una enciclopedia con sus ilustraciones, \
un selector de títulos y un diccionario; Forja crea las enciclopedias, sus artículos, epígrafes y listas; \
tomo-servidor las sirve, solo para leer, a los navegadores de una clase.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

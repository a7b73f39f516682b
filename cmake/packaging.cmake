# Installation and the Debian package (cpack -G DEB).
#
# The package holds both programs, the desktop entry, the icon, the AppStream
# metainfo, the manual pages, the guide and the examples; its Depends line comes
# from the shared libraries the programs really link (dpkg-shlibdeps).

include(GNUInstallDirs)

set(TERNAVO_RELEASE_DATE "2026-12-08")
set(TERNAVO_PACKAGE_MAINTAINER
    "Ternavo maintainers <maintainers@users.noreply.c-seed-82d89e59.example>"
    CACHE STRING "Maintainer named in the Debian package")
set(ternavo_packaging_dir ${CMAKE_SOURCE_DIR}/packaging)
set(ternavo_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/ternavo)
set(ternavo_app_id org.ternavo.Ternavo)

# --- programs -----------------------------------------------------------------
if(TARGET ternavo-cli)
  install(TARGETS ternavo-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET ternavo)
  install(TARGETS ternavo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${ternavo_packaging_dir}/${ternavo_app_id}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${ternavo_packaging_dir}/${ternavo_app_id}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/packaging/${ternavo_app_id}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${ternavo_app_id}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${ternavo_packaging_dir}/icons/ternavo.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${ternavo_packaging_dir}/icons/ternavo_${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ternavo.png)
  endforeach()
endif()

# --- manual pages, compressed as Debian wants them ----------------------------
set(ternavo_man_pages)
if(TARGET ternavo-cli)
  list(APPEND ternavo_man_pages ternavo-cli)
endif()
if(TARGET ternavo)
  list(APPEND ternavo_man_pages ternavo)
endif()
find_program(TERNAVO_GZIP gzip)
set(ternavo_man_outputs)
foreach(page ${ternavo_man_pages})
  set(page_source ${CMAKE_BINARY_DIR}/packaging/${page}.1)
  configure_file(${ternavo_packaging_dir}/${page}.1.in ${page_source} @ONLY)
  if(TERNAVO_GZIP)
    add_custom_command(OUTPUT ${page_source}.gz
                       COMMAND ${TERNAVO_GZIP} -9nkf ${page_source}
                       DEPENDS ${page_source}
                       COMMENT "Compressing the manual page ${page}.1")
    list(APPEND ternavo_man_outputs ${page_source}.gz)
    install(FILES ${page_source}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    install(FILES ${page_source} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
if(ternavo_man_outputs)
  add_custom_target(ternavo_man_pages ALL DEPENDS ${ternavo_man_outputs})
endif()

# --- documentation -------------------------------------------------------------
file(GLOB ternavo_examples CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/examples/*.txt)
install(FILES ${ternavo_examples} DESTINATION ${ternavo_doc_dir}/examples)
install(FILES ${ternavo_packaging_dir}/copyright DESTINATION ${ternavo_doc_dir})
if(EXISTS ${CMAKE_SOURCE_DIR}/docs/navod.md)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/navod.md DESTINATION ${ternavo_doc_dir})
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/navod DESTINATION ${ternavo_doc_dir}
          FILES_MATCHING PATTERN "*.png")
endif()

# --- the package ---------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ternavo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Ternavo")
set(CPACK_PACKAGE_CONTACT ${TERNAVO_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3-D coordinate transformation keys by least squares")
set(CPACK_PACKAGE_DESCRIPTION
    "Ternavo computes the key of a spatial coordinate transformation from identical
points known in a source and a target system: general affine (12 parameters),
similarity (7 parameters) or congruence (6 parameters), by least squares in
extended precision. For every identical point it reports the unit standard error
of the adjustment without that point, so that a bad point can be found and
switched off; with the key it transforms the detail points and writes a protocol.
The package holds the window program ternavo (Czech) and ternavo-cli for batch
work without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_NAME ternavo)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TERNAVO_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Czech file dialogs and standard buttons come from Qt's own translations.
if(TARGET ternavo)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
endif()
include(CPack)

# --- checks --------------------------------------------------------------------
if(TERNAVO_BUILD_TESTS AND TARGET ternavo-cli)
  # The manual page and --help list the same options.
  add_test(NAME package.man_page_matches_help
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/man_page_matches_help.sh
                   $<TARGET_FILE:ternavo-cli> ${CMAKE_BINARY_DIR}/packaging/ternavo-cli.1)
  set_tests_properties(package.man_page_matches_help PROPERTIES LABELS package)
endif()
if(TERNAVO_BUILD_TESTS AND TARGET ternavo AND TARGET ternavo-cli)
  # Builds the package from this build tree and checks what it holds.
  add_test(NAME package.file_list
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/check_package.sh
                   ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  set_tests_properties(package.file_list PROPERTIES LABELS package TIMEOUT 600 RUN_SERIAL ON)
endif()

# What `cmake --install` puts where, and the Debian package `cpack -G DEB`
# makes of it: the shared library with a versioned soname, its exported
# headers under include/lumivant/, a CMake package and a pkg-config file,
# the tool with its man page and bash completion.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

target_include_directories(lumivant INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
install(TARGETS lumivant EXPORT lumivantTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev)
install(TARGETS lumivant_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(DIRECTORY include/lumivant DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev
        FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_BINARY_DIR}/include/lumivant/version.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lumivant COMPONENT dev)

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/lumivant)
install(EXPORT lumivantTargets NAMESPACE lumivant:: DESTINATION ${config_dir} COMPONENT dev)
configure_package_config_file(cmake/lumivantConfig.cmake.in
  ${PROJECT_BINARY_DIR}/lumivantConfig.cmake INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/lumivantConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/lumivantConfig.cmake
              ${PROJECT_BINARY_DIR}/lumivantConfigVersion.cmake
        DESTINATION ${config_dir} COMPONENT dev)

# The prefix is found from the file's own place, so the package works
# wherever the prefix is moved or installed to.
file(RELATIVE_PATH LUMIVANT_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(cmake/lumivant.pc.in ${PROJECT_BINARY_DIR}/lumivant.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/lumivant.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
install(FILES tools/lumivant.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
install(FILES tools/lumivant.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME lumivant
        COMPONENT runtime)

# The Debian package: one package with the library, headers, tool, man
# page and completion; its dependencies are read off the binaries (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumivant)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "lumivant developers <lumivant@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "change detection and query highlighting on HTML pages")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "A library and a command-line tool that mark what changed between two versions\n of an HTML page, and highlight the hits of a search query in a page, in any\n character set.")
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libantlr-dev")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)

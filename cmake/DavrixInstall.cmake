# Headers, both libraries, a CMake package (find_package(DavrixDB)) and davrixdb.pc.
include(CMakePackageConfigHelpers)

install(DIRECTORY include/davrixfw include/davrixdb DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS davrixfw davrixdb EXPORT DavrixDBTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT DavrixDBTargets NAMESPACE DavrixDB:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/DavrixDB)
configure_package_config_file(cmake/DavrixDBConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/DavrixDBConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/DavrixDB)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/DavrixDBConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/DavrixDBConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/DavrixDBConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/DavrixDB)
# The .pc file finds its prefix from where it lies, so a relocated install works too.
file(RELATIVE_PATH DAVRIX_PC_TO_PREFIX "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig" "${CMAKE_INSTALL_PREFIX}")
configure_file(cmake/davrixdb.pc.in ${CMAKE_CURRENT_BINARY_DIR}/davrixdb.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/davrixdb.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
install(DIRECTORY schema/ DESTINATION ${CMAKE_INSTALL_DATADIR}/davrixdb/schema)

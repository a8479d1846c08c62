# Installs ZAVOK as a CMake package: zavok.h in include/, libzavok.a in lib/ and the package
# files in lib/cmake/zavok, so another project can use find_package(zavok) and link
# zavok::zavok (which brings gdi32 and user32 with it); zavok.dll with its import libraries and
# the target zavok::shared; and, for GCC and clang, a pkg-config file in
# lib/pkgconfig for builds with make or a plain compiler command.
include(CMakePackageConfigHelpers)

set(ZAVOK_CONFIG_DESTINATION lib/cmake/zavok)

install(TARGETS zavok EXPORT zavokTargets
  ARCHIVE DESTINATION lib
  LIBRARY DESTINATION lib
  RUNTIME DESTINATION bin)
# zavok.dll (bin/) with its two import libraries (lib/): libzavok.dll.a for MinGW, zavok.lib for
# MSVC. A target of its own, zavok::shared, in a file of its own, so that the package can hand
# it to an MSVC program as zavok::zavok.
if(TARGET zavok_shared)
  install(TARGETS zavok_shared EXPORT zavokSharedTargets
    ARCHIVE DESTINATION lib
    RUNTIME DESTINATION bin)
  install(FILES ${ZAVOK_MSVC_IMPORT_LIBRARY} DESTINATION lib)
  install(EXPORT zavokSharedTargets NAMESPACE zavok:: DESTINATION ${ZAVOK_CONFIG_DESTINATION})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/graphics/zavok.h DESTINATION include)
# A program's resources: the manifest of a ZAVOK program and a resource script to start from.
set(ZAVOK_RESOURCES_DESTINATION share/zavok)
install(FILES ${ZAVOK_MANIFEST} ${ZAVOK_RESOURCES_DIR}/zavok_program.rc ${ZAVOK_RESOURCES_DIR}/program.rc
  DESTINATION ${ZAVOK_RESOURCES_DESTINATION})
install(EXPORT zavokTargets NAMESPACE zavok:: DESTINATION ${ZAVOK_CONFIG_DESTINATION})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/zavokConfig.cmake.in
  ${PROJECT_BINARY_DIR}/zavokConfig.cmake
  INSTALL_DESTINATION ${ZAVOK_CONFIG_DESTINATION}
  PATH_VARS ZAVOK_RESOURCES_DESTINATION)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/zavokConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/zavokConfig.cmake ${PROJECT_BINARY_DIR}/zavokConfigVersion.cmake
  DESTINATION ${ZAVOK_CONFIG_DESTINATION})

# The same link interface as zavok::zavok's, spelled for a compiler command: the program may be
# linked by the C driver, hence the C++ runtime; and with MinGW statically.
if(ZAVOK_CXX_RUNTIME)
  set(ZAVOK_PC_LIBS "-lgdi32 -luser32 -l${ZAVOK_CXX_RUNTIME}")
  if(MINGW)
    string(APPEND ZAVOK_PC_LIBS " -static")
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/zavok.pc.in ${PROJECT_BINARY_DIR}/zavok.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/zavok.pc DESTINATION lib/pkgconfig)
endif()

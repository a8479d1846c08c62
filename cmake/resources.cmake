# kartello.exe's resources (card_designer/resources/kartello.rc): its icon, and the manifest and
# version information of a ZAVOK program (graphics/resources/zavok_program.rc), compiled by the
# toolchain's resource compiler. The version numbers are project()'s, through zavok_version.h.
foreach(part MAJOR MINOR PATCH)
  set(ZAVOK_VERSION_${part} "${PROJECT_VERSION_${part}}")
  if(ZAVOK_VERSION_${part} STREQUAL "")
    set(ZAVOK_VERSION_${part} 0)
  endif()
endforeach()
set(ZAVOK_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/zavok_version.h.in ${ZAVOK_GENERATED_DIR}/zavok_version.h @ONLY)
set(ZAVOK_RESOURCES_DIR ${PROJECT_SOURCE_DIR}/graphics/resources)
set(ZAVOK_MANIFEST ${ZAVOK_RESOURCES_DIR}/zavok.manifest)

if(CMAKE_RC_COMPILER)
  set(resources ${PROJECT_SOURCE_DIR}/card_designer/resources)
  target_sources(kartello PRIVATE ${resources}/kartello.rc)
  # The resource compiler looks for the icon and the manifest along the include path.
  target_include_directories(kartello PRIVATE ${ZAVOK_GENERATED_DIR} ${resources} ${ZAVOK_RESOURCES_DIR})
  set_source_files_properties(${resources}/kartello.rc PROPERTIES OBJECT_DEPENDS
    "${resources}/kartello.ico;${ZAVOK_MANIFEST};${ZAVOK_RESOURCES_DIR}/zavok_program.rc;${ZAVOK_GENERATED_DIR}/zavok_version.h")
  unset(resources)
endif()

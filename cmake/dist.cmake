# Makes the downloads in BUILD_DIR/dist from a built tree, each zip holding one folder of
# its own name:
#   Kartello-VERSION-win64.zip   kartello.exe, README.txt, LICENSE.txt, THIRD-PARTY-NOTICES.txt
#   ZAVOK-SDK-VERSION-win64.zip  the installed package (include/, lib/ with the CMake and
#                                pkg-config files and the import libraries, bin/zavok.dll),
#                                template/ (the starter project), examples/,
#                                docs/ (the start page, the cheatsheet, the reference and the
#                                gallery as HTML pages, with their pictures, and the reference's
#                                samples), cmake/ (the cross toolchain file), README.md,
#                                LICENSE.txt
# and, from replay/debian/deb.cmake, the replay tool's zavok-replay_VERSION_amd64.deb.
# Run by the build's "dist" target (tools/package). Expects BUILD_DIR, SOURCE_DIR, VERSION,
# CONFIG, GCC_VERSION (the compiler's), KARTELLO (the built program), HELPER (the replay's
# built helper) and PYTHON (one that has python3-markdown).
set(dist ${BUILD_DIR}/dist)
set(stage ${dist}/stage)
set(kartello Kartello-${VERSION}-win64)
set(sdk ZAVOK-SDK-${VERSION}-win64)
file(REMOVE_RECURSE ${stage} ${dist}/${kartello}.zip ${dist}/${sdk}.zip)

# Texts for Windows users, who may read them in Notepad: CR LF line ends, @VERSION@ filled in.
function(windows_text source destination)
  configure_file(${source} ${destination} @ONLY NEWLINE_STYLE CRLF)
endfunction()

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${output}")
  endif()
endfunction()

# ---- Kartello ----------------------------------------------------------------------------
file(COPY ${KARTELLO} DESTINATION ${stage}/${kartello})
windows_text(${SOURCE_DIR}/docs/dist/kartello-readme.txt.in ${stage}/${kartello}/README.txt)
windows_text(${SOURCE_DIR}/LICENSE ${stage}/${kartello}/LICENSE.txt)
windows_text(${SOURCE_DIR}/docs/dist/third-party-notices.txt ${stage}/${kartello}/THIRD-PARTY-NOTICES.txt)

# ---- The SDK -----------------------------------------------------------------------------
run("installing the package" ${CMAKE_COMMAND} --install ${BUILD_DIR} --config ${CONFIG} --prefix ${stage}/${sdk})
file(COPY ${SOURCE_DIR}/template/ DESTINATION ${stage}/${sdk}/template PATTERN README.md EXCLUDE)
windows_text(${SOURCE_DIR}/template/README.md ${stage}/${sdk}/template/README.md)
file(COPY ${SOURCE_DIR}/examples/ DESTINATION ${stage}/${sdk}/examples)
file(COPY ${SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake DESTINATION ${stage}/${sdk}/cmake)
windows_text(${SOURCE_DIR}/LICENSE ${stage}/${sdk}/LICENSE.txt)
windows_text(${SOURCE_DIR}/docs/dist/sdk-readme.md.in ${stage}/${sdk}/README.md)

# The reference and the gallery of examples, as pages that read offline, with the pictures they
# show; links between them lead to each other's page, links into examples/ to the SDK's copy.
set(pages)
foreach(name reference examples)
  if(EXISTS ${SOURCE_DIR}/docs/${name}.md)
    list(APPEND pages ${SOURCE_DIR}/docs/${name}.md)
  endif()
endforeach()

# ---- The SDK's site: the reference's samples, the cheatsheet and the start page -------------
# The samples whose lines the reference shows, whole, with a CMakeLists.txt that builds them;
# then the cheatsheet (from the header and the reference) and the start page (with the version
# filled in) are made in a folder of their own with the pictures they may show, and turned into
# pages after the others, so that their links to those pages are kept.
file(COPY ${SOURCE_DIR}/docs/samples/ DESTINATION ${stage}/${sdk}/docs/samples)
if(pages)
  set(site ${stage}/site)
  file(COPY ${SOURCE_DIR}/docs/pictures DESTINATION ${site})
  run("making the cheatsheet" ${PYTHON} ${SOURCE_DIR}/cmake/cheatsheet.py ${SOURCE_DIR}/graphics/zavok.h
      ${SOURCE_DIR}/docs/reference.md ${site}/cheatsheet.md)
  configure_file(${SOURCE_DIR}/docs/dist/sdk-index.md.in ${site}/index.md @ONLY)
  list(APPEND pages ${site}/cheatsheet.md ${site}/index.md)
endif()
# ---- end of the SDK's site --------------------------------------------------------------------

if(pages)
  run("making the HTML pages" ${PYTHON} ${SOURCE_DIR}/cmake/html_pages.py ${stage}/${sdk}/docs "ZAVOK ${VERSION}" ${pages})
endif()

# ---- The zips ----------------------------------------------------------------------------
foreach(folder ${kartello} ${sdk})
  run("zipping ${folder}" ${CMAKE_COMMAND} -E chdir ${stage}
      ${CMAKE_COMMAND} -E tar cf ${dist}/${folder}.zip --format=zip ${folder})
  message(STATUS "Made ${dist}/${folder}.zip")
endforeach()
file(REMOVE_RECURSE ${stage})

include(${SOURCE_DIR}/replay/debian/deb.cmake)

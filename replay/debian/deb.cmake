# Makes BUILD_DIR/dist/zavok-replay_VERSION_amd64.deb, the replay tool on its own:
#   usr/bin/zavok-replay             a link to the tool below
#   usr/lib/zavok-replay/            the tool, its Python package (with the package's constants,
#                                    written from the headers), the prebuilt helper, the Wine
#                                    set-up (wine.sh, fonts.reg) and the list of its dependencies
#   usr/share/man/man1/, usr/share/doc/zavok-replay/   the manual page, copyright, changelog
# Depends is the list in replay/dependencies. Included by cmake/dist.cmake (the build's "dist"
# target, tools/package), whose run() it uses and whose variables it expects, HELPER (the built
# replay_helper.exe) among them.
set(replay ${SOURCE_DIR}/replay)
set(debian ${replay}/debian)
set(deb ${BUILD_DIR}/dist/zavok-replay_${VERSION}_amd64.deb)
set(root ${BUILD_DIR}/dist/zavok-replay-root)
set(lib ${root}/usr/lib/zavok-replay)
set(doc ${root}/usr/share/doc/zavok-replay)
file(REMOVE_RECURSE ${root} ${deb})

# A bumped version needs its changelog entry first.
file(STRINGS ${debian}/changelog top LIMIT_COUNT 1)
if(NOT top MATCHES "^zavok-replay \\(${VERSION}\\) ")
  message(FATAL_ERROR "replay/debian/changelog's first entry is not version ${VERSION}: ${top}")
endif()

set(readable OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(runnable ${readable} OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
file(COPY ${replay}/zavokreplay DESTINATION ${lib} FILE_PERMISSIONS ${readable}
  FILES_MATCHING PATTERN "*.py" PATTERN __pycache__ EXCLUDE)
run("writing the constants" ${CMAKE_COMMAND} -E chdir ${replay}
  ${PYTHON} -B -m zavokreplay.constants ${lib}/zavokreplay/built_constants.py)
file(COPY ${replay}/zavok-replay DESTINATION ${lib} FILE_PERMISSIONS ${runnable})
file(COPY ${HELPER} ${BUILD_DIR}/replay_protocol.py ${replay}/wine.sh ${replay}/fonts.reg ${replay}/dependencies DESTINATION ${lib}
  FILE_PERMISSIONS ${readable})
file(MAKE_DIRECTORY ${root}/usr/bin ${root}/usr/share/man/man1 ${doc})
file(CREATE_LINK ../lib/zavok-replay/zavok-replay ${root}/usr/bin/zavok-replay SYMBOLIC)

function(compress source destination)
  execute_process(COMMAND gzip -9n -c ${source} OUTPUT_FILE ${destination} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "compressing ${source} failed (${result})")
  endif()
endfunction()
configure_file(${debian}/zavok-replay.1 ${BUILD_DIR}/dist/zavok-replay.1 @ONLY)
compress(${BUILD_DIR}/dist/zavok-replay.1 ${root}/usr/share/man/man1/zavok-replay.1.gz)
file(REMOVE ${BUILD_DIR}/dist/zavok-replay.1)
compress(${debian}/changelog ${doc}/changelog.gz)
file(COPY ${debian}/copyright DESTINATION ${doc} FILE_PERMISSIONS ${readable})

# The control file: Depends from that list, the size in KiB, and the files' checksums.
file(STRINGS ${replay}/dependencies lines REGEX "^[^# ]")
set(depends)
foreach(line IN LISTS lines)
  string(REGEX MATCH "^[^ ]+" package "${line}")
  list(APPEND depends ${package})
endforeach()
list(SORT depends)
list(JOIN depends ", " DEPENDS)
file(GLOB_RECURSE files RELATIVE ${root} ${root}/usr/*)
list(SORT files)
set(size 0)
set(sums "")
foreach(name IN LISTS files)
  if(NOT IS_SYMLINK ${root}/${name})
    file(SIZE ${root}/${name} bytes)
    math(EXPR size "${size} + (${bytes} + 1023) / 1024")
    file(MD5 ${root}/${name} sum)
    string(APPEND sums "${sum}  ${name}\n")
  endif()
endforeach()
set(INSTALLED_SIZE ${size})
file(MAKE_DIRECTORY ${root}/DEBIAN)
configure_file(${debian}/control.in ${root}/DEBIAN/control @ONLY)
file(WRITE ${root}/DEBIAN/md5sums "${sums}")

run("making ${deb}" dpkg-deb --build --root-owner-group ${root} ${deb})
file(REMOVE_RECURSE ${root})
message(STATUS "Made ${deb}")

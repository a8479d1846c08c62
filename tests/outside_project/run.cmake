# Installs the built package into a prefix inside the build tree, builds the outside project
# against it with the same toolchain, as C and as C++, and runs each program (under the
# emulator when cross).
# Expects BUILD_DIR, SOURCE_DIR, WORK_DIR, TOOLCHAIN (may be empty), EMULATOR (may be empty),
# GENERATOR.
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${prefix})

function(run_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output
                  TIMEOUT 240)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${output}")
  endif()
  message(STATUS "${what}: done")
endfunction()

run_step("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(file include/zavok.h lib/libzavok.a lib/cmake/zavok/zavokConfig.cmake
             lib/cmake/zavok/zavokConfigVersion.cmake lib/cmake/zavok/zavokTargets.cmake)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "the install left out ${file}")
  endif()
endforeach()

# A C-only project finds the package through CMAKE_PREFIX_PATH; a C++ one through zavok_DIR.
# Each program must start without any DLL beside it (the build folder holds none).
foreach(language C CXX)
  set(outside_build ${WORK_DIR}/build-${language})
  file(REMOVE_RECURSE ${outside_build})
  set(configure ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${outside_build} -G ${GENERATOR}
      -DCMAKE_BUILD_TYPE=Release -DOUTSIDE_LANGUAGE=${language})
  if(language STREQUAL C)
    list(APPEND configure -DCMAKE_PREFIX_PATH=${prefix})
  else()
    list(APPEND configure -Dzavok_DIR=${prefix}/lib/cmake/zavok)
  endif()
  if(TOOLCHAIN)
    list(APPEND configure -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
  endif()
  run_step("configure (${language})" ${configure})
  run_step("build (${language})" ${CMAKE_COMMAND} --build ${outside_build})

  file(GLOB program ${outside_build}/outside*.exe ${outside_build}/*/outside*.exe)
  if(NOT program)
    message(FATAL_ERROR "the outside program (${language}) was not built")
  endif()
  list(GET program 0 program)
  run_step("run (${language})" ${EMULATOR} ${program})
endforeach()

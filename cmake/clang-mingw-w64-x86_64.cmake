# Cross-compiles for 64-bit Windows with Debian's clang and Debian's MinGW-w64 headers and
# runtime (the same msvcrt C runtime and posix-thread libstdc++ as the GCC build, linked
# statically): the second compiler the code is built with. Configure with
#   cmake -S . -B build-clang -DCMAKE_TOOLCHAIN_FILE=cmake/clang-mingw-w64-x86_64.cmake
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)

set(_zavok_target x86_64-w64-mingw32)
# clang's MinGW driver does not find Debian's GCC folder (its name, 12-posix, is no version
# number), so the C++ headers and GCC's runtime libraries in it are named by hand.
set(ZAVOK_MINGW_GCC_DIR /usr/lib/gcc/${_zavok_target}/12-posix CACHE PATH
  "Debian's MinGW-w64 GCC folder: C++ headers, libstdc++, libgcc")
if(NOT EXISTS ${ZAVOK_MINGW_GCC_DIR}/include/c++)
  message(FATAL_ERROR "No MinGW-w64 C++ headers in ${ZAVOK_MINGW_GCC_DIR} (Debian's g++-mingw-w64-x86-64-posix)")
endif()

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${_zavok_target})
set(CMAKE_CXX_COMPILER_TARGET ${_zavok_target})
# Without a sysroot clang would also search the Linux headers in /usr/include.
set(CMAKE_SYSROOT /usr/${_zavok_target})
set(CMAKE_RC_COMPILER llvm-windres-14)

set(_zavok_cxx_headers ${ZAVOK_MINGW_GCC_DIR}/include/c++)
set(CMAKE_CXX_FLAGS_INIT
  "-isystem ${_zavok_cxx_headers} -isystem ${_zavok_cxx_headers}/${_zavok_target} -isystem ${_zavok_cxx_headers}/backward")
# -pthread puts winpthreads inside the runtime's link group, where libgcc's emulated thread
# locals (which libstdc++ uses) find it, as GCC's posix build does. LLVM's linker, because GNU
# ld warns about each of libstdc++'s type-name sections that clang lays out at another size.
set(_zavok_link_flags "-L${ZAVOK_MINGW_GCC_DIR} -pthread -fuse-ld=lld")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_zavok_link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_zavok_link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_zavok_link_flags}")
unset(_zavok_link_flags)
unset(_zavok_cxx_headers)
unset(_zavok_target)

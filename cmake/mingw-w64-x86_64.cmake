# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Searches stay inside the roots, so that no Linux library or package is taken for a Windows
# one; the prefixes named in CMAKE_PREFIX_PATH (the variable or the environment) become roots
# too, so -DCMAKE_PREFIX_PATH=PREFIX finds a package installed there. A path already inside a
# root is searched as it is.
file(TO_CMAKE_PATH "$ENV{CMAKE_PREFIX_PATH}" _zavok_environment_prefixes)
list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH} ${_zavok_environment_prefixes})
list(REMOVE_DUPLICATES CMAKE_FIND_ROOT_PATH)
unset(_zavok_environment_prefixes)

# Cross-built programs and tests run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

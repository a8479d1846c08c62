# Builds 64-bit Windows programs with the MSVC ABI without Microsoft's tools: Debian's clang-cl in
# MSVC mode against Wine's Windows and C runtime headers (libwine-dev), linked by lld-link against
# Wine's import libraries. Wine's C runtime libraries hold only the console entry, whose main()
# calls WinMain, and no helpers for the stack protector (/GS-).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

find_program(CMAKE_C_COMPILER NAMES clang-cl clang-cl-14 REQUIRED)
find_program(CMAKE_LINKER NAMES lld-link lld-link-14 REQUIRED)
find_program(CMAKE_MT NAMES llvm-mt llvm-mt-14 REQUIRED)
find_program(CMAKE_AR NAMES llvm-lib llvm-lib-14 REQUIRED)
set(CMAKE_C_COMPILER_TARGET x86_64-pc-windows-msvc)

set(_msvc_wine_headers /usr/include/wine/wine)
set(_msvc_wine_libraries /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
if(NOT EXISTS ${_msvc_wine_headers}/msvcrt/stdio.h OR NOT EXISTS ${_msvc_wine_libraries}/libucrtbase.a)
  message(FATAL_ERROR "Wine's headers and import libraries are missing (Debian's libwine-dev)")
endif()
set(CMAKE_C_FLAGS_INIT "/GS- /Zl -imsvc ${_msvc_wine_headers}/msvcrt -imsvc ${_msvc_wine_headers}/windows")
set(_msvc_libraries)
foreach(library winecrt0 ucrtbase kernel32 user32 gdi32)
  string(APPEND _msvc_libraries " ${_msvc_wine_libraries}/lib${library}.a")
endforeach()
set(CMAKE_EXE_LINKER_FLAGS_INIT "/NODEFAULTLIB /ENTRY:mainCRTStartup${_msvc_libraries}")
# Nothing beyond those: Wine names its import libraries libNAME.a, not NAME.lib.
set(CMAKE_C_STANDARD_LIBRARIES "" CACHE STRING "Libraries linked into every program")
unset(_msvc_libraries)
unset(_msvc_wine_libraries)
unset(_msvc_wine_headers)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

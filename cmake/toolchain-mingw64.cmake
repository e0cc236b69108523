# Cross-builds the Qt-free programs for 64-bit Windows with mingw-w64 (the POSIX-threads
# compilers, so std::thread works) and links them statically: kt90ctl.exe needs no DLL.
#
# Header-only packages and what scripts/windows.sh builds for Windows (SQLite, GoogleTest)
# live in one prefix: $KT90_WINDOWS_DEPS, else build/windows/deps of this tree.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KT90_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${KT90_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KT90_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KT90_MINGW_TRIPLE}-windres)

if(DEFINED ENV{KT90_WINDOWS_DEPS})
  set(KT90_WINDOWS_DEPS $ENV{KT90_WINDOWS_DEPS})
else()
  get_filename_component(KT90_WINDOWS_DEPS ${CMAKE_CURRENT_LIST_DIR}/../build/windows/deps ABSOLUTE)
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${KT90_MINGW_TRIPLE} ${KT90_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config sees only Windows libraries, never the build machine's own .pc files (libpq).
set(ENV{PKG_CONFIG_LIBDIR} "${KT90_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# kt90_platform_library(name [EXCLUDE regex]): a static library of the .cpp files of the
# current folder. A platform's own calls sit in ...Posix.cpp and ...Windows.cpp files, and
# only this platform's are built; EXCLUDE leaves out more (a regex on the file's path).
function(kt90_platform_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "EXCLUDE" "")
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "Posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "Windows\\.cpp$")
  endif()
  if(arg_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${arg_EXCLUDE}")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  kt90_warnings(${name})
endfunction()

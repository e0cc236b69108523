# kt90_warnings(target): the warning set every target of ours is built with.
function(kt90_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
  if(KT90_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# kt90_copy_data(target): keeps bin/ beside a copy of the program directory.
function(kt90_copy_data target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${KT90_DATA_SOURCE} $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()

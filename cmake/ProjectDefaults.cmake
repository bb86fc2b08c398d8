# Warnings and sanitizers for every target of the project, in one place.
function(project_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra
                         $<$<BOOL:${WARNINGS_AS_ERRORS}>:-Werror>)
  if(SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined
                           -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# Warnings and sanitizers for every target of the project, in one place.
function(project_defaults target)
  # GCC 12 reports a false -Wrestrict inside std::string concatenation.
  # clang's -Wconversion also takes in -Wsign-conversion, which GCC's leaves
  # out; the two compilers are held to the same rule, GCC's.
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                         $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>
                         $<$<CXX_COMPILER_ID:Clang>:-Wno-sign-conversion>
                         $<$<BOOL:${WARNINGS_AS_ERRORS}>:-Werror>)
  if(SANITIZE OR FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined
                           -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(TSAN)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
  # The fuzz build instruments every library for coverage; only the fuzz
  # targets themselves link libFuzzer's main (fuzz_target below).
  if(FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# A libFuzzer target of tests/fuzz.
function(fuzz_target target)
  project_defaults(${target})
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
endfunction()

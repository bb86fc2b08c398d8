# debian_source(PACKAGE OUT_VAR): the sources of PACKAGE as source.sh prepares
# them (Debian's source package with our patches), unpacked into the build
# folder at configure time and again only when source.sh or a patch changes.
# The source package is fetched by the install scripts into
# third_party/PACKAGE/download (or <PACKAGE>_DOWNLOAD_DIR).
function(debian_source package out_var)
  set(here ${PROJECT_SOURCE_DIR}/third_party)
  set(${package}_DOWNLOAD_DIR ${here}/${package}/download CACHE PATH
      "Where source.sh fetch put Debian's ${package} source package")
  set(source_dir ${CMAKE_BINARY_DIR}/third_party/${package})
  file(GLOB patches ${here}/${package}/*.patch)
  list(SORT patches)
  set(inputs ${here}/source.sh ${patches})
  set(hashes "")
  foreach(input IN LISTS inputs)
    file(SHA256 ${input} hash)
    string(APPEND hashes ${hash})
  endforeach()
  set(stamp ${source_dir}/.tabdump-prepared)
  set(prepared "")
  if(EXISTS ${stamp})
    file(READ ${stamp} prepared)
  endif()
  if(NOT prepared STREQUAL hashes)
    execute_process(COMMAND ${here}/source.sh ${package} prepare
                            ${${package}_DOWNLOAD_DIR} ${source_dir}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${package}: the patched sources could not be prepared")
    endif()
    file(WRITE ${stamp} ${hashes})
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${inputs})
  set(${out_var} ${source_dir} PARENT_SCOPE)
endfunction()

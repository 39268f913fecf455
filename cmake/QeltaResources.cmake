# qelta_resources(<target> FILES <file>...): embeds the files (the PNG pictures of a library's
# resources/ folder) into the target. A generated source defines the target's resource module and its
# HInstance() (Resources.h); each file is found by its name without the extension. The source is made
# again whenever a file changes.
function(qelta_resources target)
  cmake_parse_arguments(Q "" "" "FILES" ${ARGN})
  set(files)
  foreach(file IN LISTS Q_FILES)
    get_filename_component(path "${file}" ABSOLUTE)
    list(APPEND files "${path}")
  endforeach()
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp")
  string(REPLACE ";" "|" file_arg "${files}")
  add_custom_command(
    OUTPUT "${out}"
    COMMAND ${CMAKE_COMMAND} "-DOUT=${out}" "-DLIBRARY=${target}" "-DFILES=${file_arg}"
            -P "${PROJECT_SOURCE_DIR}/cmake/EmbedResources.cmake"
    DEPENDS ${files} "${PROJECT_SOURCE_DIR}/cmake/EmbedResources.cmake"
    COMMENT "Embedding the resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE "${out}")
endfunction()

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

# qelta_drawn_pictures(<generator> NAMES <name>... APPEND_TO <list> COMMENT <text> [INCLUDES <dir>...]):
# builds the picture generator <generator>.cpp that lies beside the calling file (our own artwork drawn
# with the platform's canvas), runs it at build time into a folder of the build tree, and appends the
# files it draws, <name>.png each, to <list>, the pictures a library embeds with qelta_resources.
function(qelta_drawn_pictures generator)
  cmake_parse_arguments(Q "" "APPEND_TO;COMMENT" "NAMES;INCLUDES" ${ARGN})
  add_executable(${generator} ${CMAKE_CURRENT_LIST_DIR}/${generator}.cpp)
  target_link_libraries(${generator} PRIVATE qelta::platform)
  if(Q_INCLUDES)
    target_include_directories(${generator} PRIVATE ${Q_INCLUDES})
  endif()
  qelta_warnings(${generator})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${generator}_pictures)
  set(files)
  foreach(name IN LISTS Q_NAMES)
    list(APPEND files ${dir}/${name}.png)
  endforeach()
  add_custom_command(
    OUTPUT ${files}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${generator} ${dir}
    DEPENDS ${generator}
    COMMENT "${Q_COMMENT}"
    VERBATIM)
  set(${Q_APPEND_TO} ${${Q_APPEND_TO}} ${files} PARENT_SCOPE)
endfunction()

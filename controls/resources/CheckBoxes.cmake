# The two check-box pictures of the table editor's read-only menu item: drawn at build time by
# make_checkboxes (our own artwork, see its source) into the build folder.
add_executable(make_checkboxes ${CMAKE_CURRENT_LIST_DIR}/make_checkboxes.cpp)
target_link_libraries(make_checkboxes PRIVATE qelta::platform)
qelta_warnings(make_checkboxes)

set(checkbox_dir ${CMAKE_CURRENT_BINARY_DIR}/checkboxes)
set(checkbox_files ${checkbox_dir}/EMPTYBOX.png ${checkbox_dir}/CHECKEDBOX.png)
add_custom_command(
  OUTPUT ${checkbox_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${checkbox_dir}
  COMMAND make_checkboxes ${checkbox_dir}
  DEPENDS make_checkboxes
  COMMENT "Drawing the check-box pictures"
  VERBATIM)
list(APPEND QELTACTL_RESOURCES ${checkbox_files})

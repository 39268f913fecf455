# The six segment pictures of the seven-segment display: drawn at build time by make_segment_pictures
# (our own artwork, see its source) into the build folder and embedded by name.
add_executable(make_segment_pictures ${CMAKE_CURRENT_LIST_DIR}/make_segment_pictures.cpp)
target_link_libraries(make_segment_pictures PRIVATE qelta::platform)
qelta_warnings(make_segment_pictures)

set(segment_picture_dir ${CMAKE_CURRENT_BINARY_DIR}/segment_pictures)
set(segment_pictures)
foreach(name SEGHORZ SEGVERT SEGDOT SEGPLUS SEGCOLON SEGDEG)
  list(APPEND segment_pictures ${segment_picture_dir}/${name}.png)
endforeach()
add_custom_command(
  OUTPUT ${segment_pictures}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${segment_picture_dir}
  COMMAND make_segment_pictures ${segment_picture_dir}
  DEPENDS make_segment_pictures
  COMMENT "Drawing the seven-segment pictures"
  VERBATIM)
list(APPEND QELTACTL_RESOURCES ${segment_pictures})

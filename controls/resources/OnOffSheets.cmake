# The 23 picture sheets of the on/off button: drawn at build time by make_onoff_sheets (our own
# artwork, see its source) into the build folder, named as in Qelta_onoffbut_sheets.h.
add_executable(make_onoff_sheets ${CMAKE_CURRENT_LIST_DIR}/make_onoff_sheets.cpp)
target_link_libraries(make_onoff_sheets PRIVATE qelta::platform)
target_include_directories(make_onoff_sheets PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
qelta_warnings(make_onoff_sheets)

file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/Qelta_onoffbut_sheets.h onoff_sheet_lines REGEX "u\"[A-Z0-9]+\"")
string(REGEX MATCHALL "u\"[A-Z0-9]+\"" onoff_sheet_names "${onoff_sheet_lines}")
set(onoff_sheet_dir ${CMAKE_CURRENT_BINARY_DIR}/onoff_sheets)
set(onoff_sheets)
foreach(quoted IN LISTS onoff_sheet_names)
  string(REGEX REPLACE "u\"([A-Z0-9]+)\"" "\\1" name "${quoted}")
  list(APPEND onoff_sheets ${onoff_sheet_dir}/${name}.png)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/Qelta_onoffbut_sheets.h)
add_custom_command(
  OUTPUT ${onoff_sheets}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${onoff_sheet_dir}
  COMMAND make_onoff_sheets ${onoff_sheet_dir}
  DEPENDS make_onoff_sheets
  COMMENT "Drawing the on/off button sheets"
  VERBATIM)
list(APPEND QELTACTL_RESOURCES ${onoff_sheets})

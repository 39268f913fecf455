# The 23 picture sheets of the on/off button, drawn at build time by make_onoff_sheets and named as in
# Qelta_onoffbut_sheets.h, which the generator shares.
file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/Qelta_onoffbut_sheets.h onoff_sheet_lines REGEX "u\"[A-Z0-9]+\"")
string(REGEX MATCHALL "u\"[A-Z0-9]+\"" onoff_sheet_names "${onoff_sheet_lines}")
list(TRANSFORM onoff_sheet_names REPLACE "u\"([A-Z0-9]+)\"" "\\1")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/Qelta_onoffbut_sheets.h)
qelta_drawn_pictures(make_onoff_sheets NAMES ${onoff_sheet_names} APPEND_TO QELTACTL_RESOURCES
  INCLUDES ${CMAKE_CURRENT_SOURCE_DIR} COMMENT "Drawing the on/off button sheets")

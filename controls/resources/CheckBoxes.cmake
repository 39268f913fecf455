# The two check-box pictures of the table editor's read-only menu item, drawn at build time by make_checkboxes.
qelta_drawn_pictures(make_checkboxes NAMES EMPTYBOX CHECKEDBOX APPEND_TO QELTACTL_RESOURCES
  COMMENT "Drawing the check-box pictures")

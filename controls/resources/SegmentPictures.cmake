# The six segment pictures of the seven-segment display, drawn at build time by make_segment_pictures and
# embedded by name.
qelta_drawn_pictures(make_segment_pictures NAMES SEGHORZ SEGVERT SEGDOT SEGPLUS SEGCOLON SEGDEG
  APPEND_TO QELTACTL_RESOURCES COMMENT "Drawing the seven-segment pictures")

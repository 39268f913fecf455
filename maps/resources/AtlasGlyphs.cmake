# The two glyph pictures of the map atlas's speed buttons, drawn at build time by make_atlas_glyphs.
qelta_drawn_pictures(make_atlas_glyphs NAMES POINTR ZOOMIN APPEND_TO QELTAMAP_RESOURCES
  COMMENT "Drawing the atlas's button pictures")

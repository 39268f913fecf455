# The two glyph pictures of the map atlas's speed buttons: drawn at build time by make_atlas_glyphs
# (our own artwork, see its source) into the build folder.
add_executable(make_atlas_glyphs ${CMAKE_CURRENT_LIST_DIR}/make_atlas_glyphs.cpp)
target_link_libraries(make_atlas_glyphs PRIVATE qelta::platform)
qelta_warnings(make_atlas_glyphs)

set(atlas_glyph_dir ${CMAKE_CURRENT_BINARY_DIR}/atlas_glyphs)
set(atlas_glyph_files ${atlas_glyph_dir}/POINTR.png ${atlas_glyph_dir}/ZOOMIN.png)
add_custom_command(
  OUTPUT ${atlas_glyph_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${atlas_glyph_dir}
  COMMAND make_atlas_glyphs ${atlas_glyph_dir}
  DEPENDS make_atlas_glyphs
  COMMENT "Drawing the atlas's button pictures"
  VERBATIM)
list(APPEND QELTAMAP_RESOURCES ${atlas_glyph_files})

# The built-in font of the dot-matrix label: RasterFont.txt (our own pixel art) turned into the glyph
# table Qelta_RasterLab_font.inc at build time by make_raster_font; Qelta_RasterLab.cpp includes it.
add_executable(make_raster_font ${CMAKE_CURRENT_LIST_DIR}/make_raster_font.cpp)
qelta_warnings(make_raster_font)

set(raster_font_dir ${CMAKE_CURRENT_BINARY_DIR}/raster_font)
add_custom_command(
  OUTPUT ${raster_font_dir}/Qelta_RasterLab_font.inc
  COMMAND ${CMAKE_COMMAND} -E make_directory ${raster_font_dir}
  COMMAND make_raster_font ${CMAKE_CURRENT_LIST_DIR}/RasterFont.txt ${raster_font_dir}/Qelta_RasterLab_font.inc
  DEPENDS make_raster_font ${CMAKE_CURRENT_LIST_DIR}/RasterFont.txt
  COMMENT "Building the dot-matrix font table"
  VERBATIM)
target_sources(qeltactl PRIVATE ${raster_font_dir}/Qelta_RasterLab_font.inc)
target_include_directories(qeltactl PRIVATE ${raster_font_dir})

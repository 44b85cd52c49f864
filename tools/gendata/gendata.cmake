# FreeType and the DejaVu fonts for the text in the generated pictures. The font files are
# declared dependencies: the generator's font code is rebuilt (and the data regenerated)
# when they change.
pkg_check_modules(FT REQUIRED IMPORTED_TARGET freetype2)
set(DEMO_FONT_DIR /usr/share/fonts/truetype/dejavu)
set(DEMO_FONTS ${DEMO_FONT_DIR}/DejaVuSerif-Bold.ttf ${DEMO_FONT_DIR}/DejaVuSerif-Italic.ttf
    ${DEMO_FONT_DIR}/DejaVuSans-Bold.ttf)
foreach(font ${DEMO_FONTS})
  if(NOT EXISTS ${font})
    message(FATAL_ERROR "Font ${font} is missing: install the Debian package fonts-dejavu-core")
  endif()
endforeach()
target_link_libraries(gendata PRIVATE PkgConfig::FT)
target_compile_definitions(gendata PRIVATE DEMO_FONT_DIR="${DEMO_FONT_DIR}")
set_source_files_properties(${CMAKE_SOURCE_DIR}/tools/gendata/font.cpp PROPERTIES
  OBJECT_DEPENDS "${DEMO_FONTS}")

# The glyph picture kirjaimet2, rendered at build time into a source file of demolib. Its
# generator is a small program of its own that does not link demolib.
add_executable(genglyphs ${CMAKE_SOURCE_DIR}/tools/glyphs/genglyphs.cpp
  ${CMAKE_SOURCE_DIR}/tools/gendata/font.cpp ${CMAKE_SOURCE_DIR}/tools/gendata/png.cpp)
target_include_directories(genglyphs PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(genglyphs PRIVATE PkgConfig::FT PkgConfig::PNG)
target_compile_definitions(genglyphs PRIVATE DEMO_FONT_DIR="${DEMO_FONT_DIR}")

set(KIRJAIMET2_SOURCE ${CMAKE_BINARY_DIR}/generated/kirjaimet2.cpp)
add_custom_command(OUTPUT ${KIRJAIMET2_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND genglyphs ${KIRJAIMET2_SOURCE}
  DEPENDS genglyphs ${DEMO_FONT_DIR}/DejaVuSans-Bold.ttf
  COMMENT "Rendering the glyph picture kirjaimet2")
target_sources(demolib PRIVATE ${KIRJAIMET2_SOURCE})

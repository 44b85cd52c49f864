# Reference players for the whole-song benchmark only; the demo never links them.
pkg_check_modules(OPENMPT REQUIRED IMPORTED_TARGET libopenmpt)
pkg_check_modules(XMP REQUIRED IMPORTED_TARGET libxmp)
target_link_libraries(bench_song PRIVATE PkgConfig::OPENMPT PkgConfig::XMP)

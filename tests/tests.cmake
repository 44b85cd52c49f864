# The window tests read the demo's window back from an X server (Xvfb).
find_package(X11 REQUIRED)
target_link_libraries(demo_tests PRIVATE X11::X11)
# The tests run modrender on the generated module.
add_dependencies(demo_tests modrender)

# The tests run modrender on the generated module.
add_dependencies(demo_tests modrender)

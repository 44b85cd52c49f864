# modrender: renders a module to WAV, or prints its timeline, without an audio device.
add_executable(modrender ${CMAKE_SOURCE_DIR}/tools/modrender.cpp)
target_link_libraries(modrender PRIVATE demolib)

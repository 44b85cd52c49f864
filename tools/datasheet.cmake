# Review program: contact sheets of the generated data files (datasheet DATA_DIR OUT_DIR).
add_executable(datasheet ${CMAKE_SOURCE_DIR}/tools/datasheet.cpp ${CMAKE_SOURCE_DIR}/tools/gendata/png.cpp)
target_link_libraries(datasheet PRIVATE demolib PkgConfig::PNG)
target_include_directories(datasheet PRIVATE ${CMAKE_SOURCE_DIR})

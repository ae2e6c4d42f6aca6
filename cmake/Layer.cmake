# korvant_layer(<library> DEPS <libs...>)
# A layer of the program: every .cpp/.h of the calling folder, globbed, as
# one static library that sees the whole src/ tree.
function(korvant_layer lib)
  cmake_parse_arguments(KL "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT srcs)
    set(srcs ${PROJECT_SOURCE_DIR}/src/base/empty.cpp)
  endif()
  add_library(${lib} STATIC ${srcs})
  target_include_directories(${lib} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${lib} PUBLIC ${KL_DEPS})
endfunction()

# The school generator, shared by the benchmarks and the core tests; the
# first of them to be configured defines it.
if(NOT TARGET korvant_schoolgen)
  add_library(korvant_schoolgen STATIC ${CMAKE_CURRENT_LIST_DIR}/school_gen.cpp)
  target_include_directories(korvant_schoolgen PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(korvant_schoolgen PUBLIC korvant_core)
  set_target_properties(korvant_schoolgen PROPERTIES AUTOMOC OFF)
endif()

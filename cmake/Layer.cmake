# korvant_layer(<library> DEPS <libs...> USES <folders...>)
# A layer of the program: every .cpp/.h of the calling folder, globbed, as
# one static library that sees the whole src/ tree. USES names the folders
# under src/ (besides its own) whose headers it may include; the build
# fails on any other include, since the shared include path would let it
# through quietly.
function(korvant_layer lib)
  cmake_parse_arguments(KL "" "" "DEPS;USES" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT srcs)
    set(srcs ${PROJECT_SOURCE_DIR}/src/base/empty.cpp)
  endif()
  add_library(${lib} STATIC ${srcs})
  target_include_directories(${lib} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${lib} PUBLIC ${KL_DEPS})
  korvant_check_includes(${lib} ${KL_USES})
endfunction()

# korvant_check_includes(<library> <folders...>)
# Fails the build of <library> when one of the .cpp/.h files of the calling
# folder includes a header of src/ outside its own folder and <folders...>.
function(korvant_check_includes lib)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  file(RELATIVE_PATH own ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${lib}_includes.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} "-DFILES=${files}" "-DALLOWED=${own};${ARGN}"
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    COMMENT "Checking the includes of ${lib}"
    VERBATIM)
  add_custom_target(${lib}_includes DEPENDS ${stamp})
  add_dependencies(${lib} ${lib}_includes)
endfunction()

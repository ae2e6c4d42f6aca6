# Runs korvant-plan-week on the demonstration project and checks that it
# ends well and that its total line has every hour placed.
#   cmake -DTOOL=<path> -P plan_week_smoke.cmake
execute_process(COMMAND ${TOOL} --demo RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "exit status ${rc}")
endif()
if(NOT out MATCHES "total: [0-9.]+ s, placed ([0-9]+)/([0-9]+), idle [0-9]+")
  message(FATAL_ERROR "no total line")
endif()
if(NOT CMAKE_MATCH_1 EQUAL CMAKE_MATCH_2 OR CMAKE_MATCH_2 EQUAL 0)
  message(FATAL_ERROR "placed ${CMAKE_MATCH_1} of ${CMAKE_MATCH_2} hours")
endif()

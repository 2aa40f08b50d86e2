# The line search, the block writer, the walk and whole search runs.
tessumi_unit_test(lines_test lines_test.cpp)
tessumi_dll_test(search_run_test search_run_test.cpp)
if(CMAKE_CROSSCOMPILING)
  add_test(NAME lookfor_cli
           COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/lookfor_test.sh ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh
                   $<TARGET_FILE:lookfor>)
endif()

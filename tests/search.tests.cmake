# The line search, the block writer, the walk and whole search runs.
tessumi_unit_test(lines_test lines_test.cpp)
tessumi_unit_test(long_path_test long_path_test.cpp)
tessumi_unit_test(name_masks_test name_masks_test.cpp)
tessumi_dll_test(search_run_test search_run_test.cpp)
# Holds a file open from another process for search_run_test.
add_executable(hold_file hold_file.cpp)
if(MINGW)
  target_link_options(hold_file PRIVATE -municode)
endif()
add_dependencies(search_run_test hold_file)
if(CMAKE_CROSSCOMPILING)
  add_test(NAME lookfor_cli
           COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/lookfor_test.sh ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh
                   $<TARGET_FILE:lookfor>)
endif()
# lookfor.exe in a console of its own and redirected from one: the console
# needs a display under Wine, so it runs like the window tests.
add_executable(lookfor_console_test lookfor_console_test.cpp lookfor_console.cpp)
target_link_libraries(lookfor_console_test PRIVATE TestSupport GTest::gtest_main)
add_dependencies(lookfor_console_test lookfor)
tessumi_display_test(lookfor_console_test)
# The line search's blocks, made tiny so that they end everywhere.
tessumi_unit_test(block_edges_test block_edges_test.cpp)
# The walk's decisions and what a run refuses before it writes.
tessumi_unit_test(walk_test walk_test.cpp)

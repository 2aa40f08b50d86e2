# Progress and stopping: the library's callback, the window program and
# lookfor.exe during a long search.
tessumi_dll_test(run_progress_test run_progress_test.cpp)
# The window program's texts, compiled in: they need no window.
add_executable(status_bar_texts_test status_bar_texts_test.cpp
               ${CMAKE_SOURCE_DIR}/app/window/status_bar_texts.cpp)
target_include_directories(status_bar_texts_test PRIVATE ${CMAKE_SOURCE_DIR}/app/window)
target_link_libraries(status_bar_texts_test PRIVATE TestSupport GTest::gtest_main)
add_test(NAME status_bar_texts_test COMMAND status_bar_texts_test)
if(TARGET GuiDriver)
  add_executable(search_progress_gui_test gui/search_progress_gui_test.cpp)
  target_include_directories(search_progress_gui_test PRIVATE ${CMAKE_SOURCE_DIR}/app/resources)
  target_link_libraries(search_progress_gui_test PRIVATE GuiDriver TestSupport GTest::gtest_main)
  add_dependencies(search_progress_gui_test open_recorder)
  varnelo_gui_test(search_progress_gui_test)
  set_tests_properties(search_progress_gui_test PROPERTIES TIMEOUT 300)
endif()

# lookfor.exe in a console: progress and Ctrl+C. The console needs a display
# under Wine, so it runs like the window tests.
add_executable(lookfor_ctrl_c_test lookfor_ctrl_c_test.cpp lookfor_console.cpp)
target_link_libraries(lookfor_ctrl_c_test PRIVATE TestSupport GTest::gtest_main)
add_dependencies(lookfor_ctrl_c_test lookfor)
tessumi_display_test(lookfor_ctrl_c_test)

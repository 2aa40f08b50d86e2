# Progress and stopping: the library's callback, the window program and
# lookfor.exe during a long search.
tessumi_dll_test(run_progress_test run_progress_test.cpp)
if(TARGET GuiDriver)
  add_executable(search_progress_gui_test gui/search_progress_gui_test.cpp)
  target_include_directories(search_progress_gui_test PRIVATE ${CMAKE_SOURCE_DIR}/app/resources)
  target_link_libraries(search_progress_gui_test PRIVATE GuiDriver TestSupport GTest::gtest_main)
  varnelo_gui_test(search_progress_gui_test)
  set_tests_properties(search_progress_gui_test PROPERTIES TIMEOUT 300)
endif()

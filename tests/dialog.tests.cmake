# The search command and its dialog, driven in the real Varnelo.exe on a
# private display.
if(TARGET GuiDriver)
  add_executable(search_dialog_gui_test search_dialog_gui_test.cpp)
  target_include_directories(search_dialog_gui_test PRIVATE ${CMAKE_SOURCE_DIR}/app/resources)
  target_link_libraries(search_dialog_gui_test PRIVATE VarneloCore GuiDriver TestSupport Tessumi
                        GTest::gtest_main)
  varnelo_gui_test(search_dialog_gui_test)
  set_tests_properties(search_dialog_gui_test PROPERTIES TIMEOUT 300)
endif()

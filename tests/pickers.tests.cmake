# The common-dialog error texts, then both pickers driven through the DLL on
# a private display.
tessumi_unit_test(dialog_error_text_test dialog_error_text_test.cpp)

add_executable(pickers_test pickers_test.cpp)
target_link_libraries(pickers_test PRIVATE Tessumi TestSupport GTest::gtest_main user32 comctl32)
if(COMMAND varnelo_gui_test)
  # Like every test that shows windows: own display, own prefix, one at a time.
  varnelo_gui_test(pickers_test)
elseif(CMAKE_CROSSCOMPILING)
  add_test(NAME pickers_test
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/with-xvfb.sh ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh
                   $<TARGET_FILE:pickers_test>)
else()
  add_test(NAME pickers_test COMMAND pickers_test)
endif()
set_tests_properties(pickers_test PROPERTIES TIMEOUT 180)

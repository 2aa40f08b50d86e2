# The common-dialog error texts, then both pickers driven through the DLL on
# a private display.
tessumi_unit_test(dialog_error_text_test dialog_error_text_test.cpp)

add_executable(pickers_test pickers_test.cpp gui/real_input.cpp)
target_include_directories(pickers_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/gui)
target_link_libraries(pickers_test PRIVATE Tessumi TestSupport GTest::gtest_main user32 comctl32)
tessumi_display_test(pickers_test)
set_tests_properties(pickers_test PROPERTIES TIMEOUT 180)

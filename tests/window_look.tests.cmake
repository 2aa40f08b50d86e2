# The main window's look: decisions tested as tables without a window, and
# Varnelo at 100 % and at 150 % (a prefix of its own with LogPixels 144).
set(window_look_sources dpi.cpp view_colors.cpp view_font.cpp window_placement.cpp)
list(TRANSFORM window_look_sources PREPEND ${CMAKE_SOURCE_DIR}/app/window/)
add_executable(window_look_test window_look_test.cpp ${window_look_sources}
               ${CMAKE_SOURCE_DIR}/app/settings/settings.cpp
               ${CMAKE_SOURCE_DIR}/app/settings/ini_text.cpp)
target_include_directories(window_look_test PRIVATE ${CMAKE_SOURCE_DIR}/app/window
                           ${CMAKE_SOURCE_DIR}/app/settings ${CMAKE_SOURCE_DIR}/searchlib)
target_link_libraries(window_look_test PRIVATE TestSupport GTest::gtest_main comdlg32 gdi32
                      user32 advapi32 shell32)
add_test(NAME window_look_test COMMAND window_look_test)

if(TARGET GuiDriver)
  add_executable(dpi_gui_test gui/dpi_gui_test.cpp)
  target_include_directories(dpi_gui_test PRIVATE ${CMAKE_SOURCE_DIR}/app/resources)
  target_link_libraries(dpi_gui_test PRIVATE VarneloCore GuiDriver GTest::gtest_main)
  varnelo_gui_test(dpi_gui_test)
  set_tests_properties(dpi_gui_test PROPERTIES TIMEOUT 300)
  # 150 %: the same tests in a prefix whose screen has 144 DPI.
  add_test(NAME dpi_gui_test_144
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/with-xvfb.sh sh
                   ${CMAKE_CURRENT_SOURCE_DIR}/with-logpixels.sh 144 sh
                   ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh $<TARGET_FILE:dpi_gui_test>)
  set_tests_properties(dpi_gui_test_144 PROPERTIES
                       ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-gui-144"
                       RESOURCE_LOCK varnelo_gui TIMEOUT 300)
endif()

# Varnelo.ini: reading, damage and saving.
add_executable(settings_test settings_test.cpp ${CMAKE_SOURCE_DIR}/app/settings/settings.cpp
               ${CMAKE_SOURCE_DIR}/app/settings/ini_text.cpp)
target_include_directories(settings_test PRIVATE ${CMAKE_SOURCE_DIR}/app/settings
                           ${CMAKE_SOURCE_DIR}/searchlib)
target_link_libraries(settings_test PRIVATE TestSupport GTest::gtest_main shell32)
add_test(NAME settings_test COMMAND settings_test)

# Varnelo used by hand: real pointer and keys on the results view, the
# search dialog's edits and the status bar, and a hit opened through a file
# association whose program records what it was asked to open.
if(TARGET GuiDriver)
  add_executable(open_recorder gui/open_recorder.cpp)
  target_link_libraries(open_recorder PRIVATE shell32)

  add_executable(by_hand_gui_test gui/by_hand_gui_test.cpp)
  target_include_directories(by_hand_gui_test PRIVATE ${CMAKE_SOURCE_DIR}/app/resources)
  target_link_libraries(by_hand_gui_test PRIVATE GuiDriver TestSupport GTest::gtest_main advapi32)
  add_dependencies(by_hand_gui_test open_recorder)
  if(TARGET document_fixtures)
    add_dependencies(by_hand_gui_test document_fixtures)
  endif()
  varnelo_gui_test(by_hand_gui_test)
  set_tests_properties(by_hand_gui_test PROPERTIES TIMEOUT 300)
endif()

# tools/screenshot.sh sets its scenes up with this, by real input.
if(TARGET GuiDriver)
  add_executable(screenshot_scene gui/screenshot_scene.cpp)
  target_include_directories(screenshot_scene PRIVATE ${CMAKE_SOURCE_DIR}/app/resources)
  target_link_libraries(screenshot_scene PRIVATE GuiDriver)
  if(MINGW)
    target_link_options(screenshot_scene PRIVATE -municode)
  endif()
endif()

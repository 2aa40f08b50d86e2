# The window program: the GUI test driver, Varnelo.exe from the outside and
# its main window's code in a test's own process.
if(TARGET Varnelo)
  add_library(GuiDriver STATIC ${CMAKE_CURRENT_SOURCE_DIR}/gui/gui_driver.cpp
                        ${CMAKE_CURRENT_SOURCE_DIR}/gui/real_input.cpp
                        ${CMAKE_CURRENT_SOURCE_DIR}/gui/varnelo_program.cpp)
  target_include_directories(GuiDriver PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/gui)
  target_include_directories(GuiDriver PRIVATE ${CMAKE_SOURCE_DIR}/app/resources)
  target_link_libraries(GuiDriver PUBLIC user32 gdi32 comctl32)

  # Registers a test program that needs a display: it runs under a private
  # Xvfb, in a Wine prefix of its own (a Wine desktop started by a program
  # without a display leaves every later window of that wineserver without a
  # driver), one test at a time (each brings its own X server, and
  # Varnelo.exe refuses a second instance within one wineserver). Every such
  # test is treated alike; a STARTS_PROGRAM argument is accepted and changes
  # nothing.
  set(VARNELO_GUI_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix-gui)
  function(varnelo_gui_test name)
    add_test(NAME ${name}
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/with-xvfb.sh ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh
                     $<TARGET_FILE:${name}>)
    add_dependencies(${name} Varnelo)
    set_tests_properties(${name} PROPERTIES
                         ENVIRONMENT "WINEPREFIX=${VARNELO_GUI_WINEPREFIX}"
                         RESOURCE_LOCK varnelo_gui)
  endfunction()

  add_executable(main_window_gui_test gui/main_window_gui_test.cpp)
  target_include_directories(main_window_gui_test PRIVATE ${CMAKE_SOURCE_DIR}/app/resources)
  target_link_libraries(main_window_gui_test PRIVATE GuiDriver GTest::gtest_main)
  varnelo_gui_test(main_window_gui_test)

  add_executable(results_view_test gui/results_view_test.cpp)
  target_link_libraries(results_view_test PRIVATE VarneloCore GuiDriver GTest::gtest_main)
  varnelo_gui_test(results_view_test)
endif()

# The editor's command line, a pure function of the template, and the
# editors found where their installers put them.
add_executable(editor_command_test editor_command_test.cpp ${CMAKE_SOURCE_DIR}/app/open/editor_command.cpp
               ${CMAKE_SOURCE_DIR}/app/open/editor_catalog.cpp)
target_include_directories(editor_command_test PRIVATE ${CMAKE_SOURCE_DIR}/app/open)
target_link_libraries(editor_command_test PRIVATE TestSupport GTest::gtest_main advapi32)
add_test(NAME editor_command_test COMMAND editor_command_test)

# The window program's decisions taken without a window: where a search
# starts from, Explorer's menu in the registry, records handed on.
if(TARGET Varnelo)
  add_executable(varnelo_decisions_test varnelo_decisions_test.cpp)
  target_link_libraries(varnelo_decisions_test PRIVATE VarneloCore TestSupport GTest::gtest_main)
  add_test(NAME varnelo_decisions_test COMMAND varnelo_decisions_test)
endif()

# Explorer's menu, the command line, a second start and drops, from outside.
if(TARGET GuiDriver)
  add_executable(start_gui_test gui/start_gui_test.cpp)
  target_include_directories(start_gui_test PRIVATE ${CMAKE_SOURCE_DIR}/app/resources)
  target_link_libraries(start_gui_test PRIVATE VarneloCore GuiDriver TestSupport GTest::gtest_main
                        ole32 shell32 uuid)
  varnelo_gui_test(start_gui_test)
  set_tests_properties(start_gui_test PROPERTIES TIMEOUT 300)
endif()

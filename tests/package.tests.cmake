# The portable zip, unpacked and run as a user would.
if(TARGET GuiDriver AND TARGET Varnelo AND CMAKE_CROSSCOMPILING)
  add_executable(package_gui_test package_gui_test.cpp)
  target_include_directories(package_gui_test PRIVATE ${CMAKE_SOURCE_DIR}/app/resources)
  target_link_libraries(package_gui_test PRIVATE GuiDriver TestSupport GTest::gtest_main)

  add_test(NAME package_zip COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target package)
  set_tests_properties(package_zip PROPERTIES FIXTURES_SETUP zip)
  add_test(NAME package_unpack_and_run
           COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/package_test.sh ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh
                   ${CMAKE_CURRENT_SOURCE_DIR}/with-xvfb.sh
                   ${CMAKE_BINARY_DIR}/dist/Varnelo-${PROJECT_VERSION}-win64.zip
                   $<TARGET_FILE:package_gui_test> ${VARNELO_GUI_WINEPREFIX})
  set_tests_properties(package_unpack_and_run PROPERTIES
                       FIXTURES_REQUIRED zip
                       RESOURCE_LOCK varnelo_gui TIMEOUT 300)
endif()

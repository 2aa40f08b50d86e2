# Archives and documents read from within, against fixtures that a script
# of the tree makes at build time (Python 3, standard library only).
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  set(document_fixtures ${CMAKE_BINARY_DIR}/bin/documents)
  add_custom_command(OUTPUT ${document_fixtures}/stamp
                     COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/fixtures/make_documents.py
                             ${document_fixtures}
                     DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fixtures/make_documents.py
                     COMMENT "Making the document and archive fixtures")
  add_custom_target(document_fixtures DEPENDS ${document_fixtures}/stamp)
  tessumi_unit_test(archive_test archive_test.cpp)
  # The XML reader against XmlLite, the platform's own.
  tessumi_unit_test(document_text_test document_text_test.cpp xml_lite_reference.cpp)
  target_link_libraries(document_text_test PRIVATE shlwapi)
  # Whole runs that search inside them.
  tessumi_unit_test(inside_search_test inside_search_test.cpp)
  add_dependencies(archive_test document_fixtures)
  add_dependencies(inside_search_test document_fixtures)
  add_dependencies(document_text_test document_fixtures)
else()
  message(WARNING "Python 3 not found: the archive and document tests are left out.")
endif()

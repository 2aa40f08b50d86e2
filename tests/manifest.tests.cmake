# The manifests compiled into Varnelo.exe and lookfor.exe, entry by entry.
foreach(program Varnelo lookfor)
  if(TARGET ${program})
    add_test(NAME ${program}_manifest
             COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:${program}> -DPROGRAM=${program}
                     -P ${CMAKE_CURRENT_SOURCE_DIR}/check_manifest.cmake)
  endif()
endforeach()

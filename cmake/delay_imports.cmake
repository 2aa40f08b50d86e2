# Delay-import libraries for MinGW-w64: a target linked with one imports the
# DLL's functions through the delay-load helper, which loads the DLL at the
# first call of one of them instead of when the target itself is loaded.
#
# Included by the project: tessumi_delay_import_libraries(TARGET dll...)
# links TARGET against a delay-import library of each system DLL, made at
# build time from the toolchain's ordinary import library. Run as a script
# (cmake -P) it makes one such library.

if(CMAKE_SCRIPT_MODE_FILE)
  # -DNM= -DDLLTOOL= -DIMPORT_LIB= -DDLL= -DDEF= -DOUTPUT=
  execute_process(COMMAND ${NM} ${IMPORT_LIB} OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${IMPORT_LIB}")
  endif()
  # Every function of the import library: its "__imp_" symbols.
  string(REGEX MATCHALL " I __imp_[A-Za-z_0-9@?$]+" names "${symbols}")
  list(REMOVE_DUPLICATES names)
  set(def "LIBRARY ${DLL}\nEXPORTS\n")
  foreach(n IN LISTS names)
    string(REPLACE " I __imp_" "" n "${n}")
    string(APPEND def "${n}\n")
  endforeach()
  file(WRITE ${DEF} "${def}")
  execute_process(COMMAND ${DLLTOOL} --input-def ${DEF} --dllname ${DLL} --output-delaylib ${OUTPUT}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${DLLTOOL} could not make ${OUTPUT}")
  endif()
  return()
endif()

function(tessumi_delay_import_libraries target)
  foreach(dll IN LISTS ARGN)
    find_library(TESSUMI_IMPORT_LIB_${dll} NAMES lib${dll}.a ${dll} REQUIRED)
    set(import_lib ${TESSUMI_IMPORT_LIB_${dll}})
    set(out ${CMAKE_CURRENT_BINARY_DIR}/delay/lib${dll}_delay.a)
    add_custom_command(
      OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL}
              -DIMPORT_LIB=${import_lib} -DDLL=${dll}.dll
              -DDEF=${CMAKE_CURRENT_BINARY_DIR}/delay/${dll}.def -DOUTPUT=${out}
              -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      DEPENDS ${import_lib} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      COMMENT "Delay-import library for ${dll}.dll"
      VERBATIM)
    list(APPEND outputs ${out})
  endforeach()
  add_custom_target(${target}_delay_imports DEPENDS ${outputs})
  add_dependencies(${target} ${target}_delay_imports)
  # The delay-load helper, __delayLoadHelper2, comes from libmingwex.
  target_link_libraries(${target} PRIVATE ${outputs})
endfunction()

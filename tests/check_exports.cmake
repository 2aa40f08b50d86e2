# Reads the DLL's export and import tables with objdump: exactly the
# exports, and no DLL loaded with it beyond the system's core ones.
# objdump speaks the locale's language; its table headings are read in English.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C LANG=C LANGUAGE=C ${OBJDUMP} -p ${DLL}
                OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()
string(FIND "${dump}" "Ordinal/Name Pointer" at)
if(at LESS 0)
  message(FATAL_ERROR "no export table in ${DLL}")
endif()
string(SUBSTRING "${dump}" ${at} -1 table)
string(FIND "${table}" "\n" eol)
math(EXPR eol "${eol} + 1")
string(SUBSTRING "${table}" ${eol} -1 table)
string(FIND "${table}" "\n\n" end)
string(SUBSTRING "${table}" 0 ${end} table)
string(APPEND table "\n")
# Each line is a tab, the ordinal in brackets, a space and the name.
string(REGEX MATCHALL " [A-Za-z_][A-Za-z_0-9@]*\n" lines "${table}")
set(found "")
foreach(n IN LISTS lines)
  string(STRIP "${n}" n)
  list(APPEND found "${n}")
endforeach()
list(SORT found)
set(expected FnAllMatches FnBrowseForFolder FnCheckPattern FnExtractMember FnFirstMatch
             FnGetSaveFileName FnLinesAround FnLookFor FnLookForOptions FnLookForProgress
             FnPhysicalLine FnPhysicalLines SubMessageOut SubReadText)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "exports are '${found}', expected '${expected}'")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(i IN LISTS imports)
  string(TOLOWER "${i}" i)
  if(i MATCHES "libstdc|libgcc|libwinpthread")
    message(FATAL_ERROR "depends on a MinGW runtime DLL: ${i}")
  endif()
  # Loaded at their first call only (delay-loaded), so that a search run
  # never loads the windowing DLLs.
  if(i MATCHES "user32|comdlg32|shell32|comctl32|ole32|gdi32")
    message(FATAL_ERROR "loads a windowing DLL with the library itself: ${i}")
  endif()
endforeach()
message(STATUS "exports: ${found}")

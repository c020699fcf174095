# cmake -DOBJDUMP=<mingw objdump> -DDLL=<Orbek_QEL_Server_C4D.dll> [-DRUNTIME_DLLS=<allowed>] -P check_exports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(\t[^\n]+\n)*" table "${dump}")
string(REGEX MATCHALL "\t\\[ *[0-9]+] [^\n]+" names "${table}")
list(TRANSFORM names REPLACE "^\t\\[ *[0-9]+] " "")
# The compiler's runtime is linked in, but for RUNTIME_DLLS.
string(REGEX MATCHALL "DLL Name: lib(stdc\\+\\+|gcc_s|winpthread)[^\n]*" runtime "${dump}")
list(TRANSFORM runtime REPLACE "^DLL Name: " "")
list(REMOVE_ITEM runtime ${RUNTIME_DLLS})
list(APPEND names ${runtime})
list(SORT names)
set(expected
  _ZN15CQEL_Server_C4D11IsCancelledEv
  _ZN15CQEL_Server_C4D11StartImportEv
  _ZN15CQEL_Server_C4D16SetCheckProgressEi
  _ZN15CQEL_Server_C4D4ReadERK7CStringRSt6vectorI13CQEL_SmartPtrI11CQEL_ObjectESaIS6_EE
  _ZN15CQEL_Server_C4D9EndImportEv
  _ZN15CQEL_Server_C4DaSERKS_)
if(NOT names STREQUAL expected)
  string(REPLACE ";" "\n  " names "${names}")
  message(FATAL_ERROR "${DLL} exports\n  ${names}\nbut only the six members of CQEL_Server_C4D may be, with no runtime DLL imported but ${RUNTIME_DLLS}")
endif()

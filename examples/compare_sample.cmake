# Writes the sample scene afresh (through EMULATOR, where the build is for
# another system) and compares it with the committed one.
execute_process(COMMAND ${EMULATOR} ${GENERATOR} ${OUTPUT} RESULT_VARIABLE written OUTPUT_QUIET)
if(NOT written EQUAL 0)
  message(FATAL_ERROR "make_sample failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED} RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "examples/sample.c4d is out of date: build make_sample and run it to rewrite it")
endif()

# Run by CTest: install, configure and build the consumer, run it and the
# installed tool on the sample.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "failed (${code}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${PREFIX} ${CONSUMER_BUILD})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})
run(${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${CONSUMER_BUILD} -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${PREFIX} -DCMAKE_CXX_FLAGS=${CONSUMER_FLAGS})
run(${CMAKE_COMMAND} --build ${CONSUMER_BUILD})
run(${CONSUMER_BUILD}/consumer ${SAMPLE})
if(NOT last_output MATCHES "6 objects, 5 layers")
  message(FATAL_ERROR "the consumer imported something else: ${last_output}")
endif()
run(${PREFIX}/bin/c4dimport import ${SAMPLE} -o ${CONSUMER_BUILD}/sample.glb)
if(NOT EXISTS ${CONSUMER_BUILD}/sample.glb)
  message(FATAL_ERROR "the installed tool wrote no sample.glb")
endif()

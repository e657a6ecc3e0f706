# Builds one layer probe and checks the outcome: EXPECT=build wants success; EXPECT=fail wants a failure that names
# HEADER as not found, so that a probe broken for another reason does not pass as a proof.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${TARGET}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(EXPECT STREQUAL "build")
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${TARGET} should build, but:\n${out}")
    endif()
elseif(rc EQUAL 0)
    message(FATAL_ERROR "${TARGET} built, so an include across the layers went unnoticed")
else()
    string(FIND "${out}" "${HEADER}: No such file or directory" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${TARGET} failed, but not for want of ${HEADER}:\n${out}")
    endif()
    message(STATUS "${TARGET} fails to build, as it must: ${HEADER} is out of its reach")
endif()

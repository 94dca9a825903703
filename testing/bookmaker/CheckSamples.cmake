# Runs `${BOOKMAKER} check` over every book folder of the program folder
# ${PROGRAM} (a folder holding location.dat) and fails unless it exits 0 and
# says "no problems" for each.
file(GLOB tables "${PROGRAM}/*/*/location.dat")
if(NOT tables)
    message(FATAL_ERROR "no book in ${PROGRAM}")
endif()
foreach(table ${tables})
    get_filename_component(folder ${table} DIRECTORY)
    execute_process(COMMAND ${BOOKMAKER} check ${folder}
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE error)
    message(STATUS "${folder}:\n${output}${error}")
    if(NOT result EQUAL 0 OR NOT output MATCHES "no problems\n$")
        message(FATAL_ERROR "bookmaker check failed on ${folder}")
    endif()
endforeach()

# Fails when a program of a layer below the windows needs the Qt Widgets library at load time.
find_program(READELF readelf REQUIRED)
foreach(program IN LISTS PROGRAMS)
    execute_process(COMMAND ${READELF} -d ${program} OUTPUT_VARIABLE dynamic
                    RESULT_VARIABLE failed)
    if(failed OR NOT dynamic MATCHES "libQt6Core")
        message(FATAL_ERROR "Cannot read what ${program} needs")
    endif()
    if(dynamic MATCHES "libQt6Widgets")
        message(FATAL_ERROR "${program} needs Qt Widgets")
    endif()
endforeach()

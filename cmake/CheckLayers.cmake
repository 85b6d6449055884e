# The layer rule, checked on every build: a source may include headers of its own library and of the
# libraries below it, never of one above. tovo_check_layers takes the libraries from the ground up.
function(tovo_check_layers)
    set(map "")
    set(rank 0)
    foreach(target ${ARGV})
        get_target_property(sources ${target} SOURCES)
        get_target_property(dir ${target} SOURCE_DIR)
        foreach(source ${sources})
            if(source MATCHES "\\.(cpp|h)$")
                cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir} NORMALIZE OUTPUT_VARIABLE path)
                cmake_path(RELATIVE_PATH path BASE_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE relative)
                string(APPEND map "${rank} ${target} ${relative}\n")
                list(APPEND checked ${path})
            endif()
        endforeach()
        math(EXPR rank "${rank} + 1")
    endforeach()
    set(list_file ${CMAKE_BINARY_DIR}/layers.txt)
    file(WRITE ${list_file} "${map}")
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/layers.checked
        COMMAND ${CMAKE_COMMAND} -DLIST=${list_file} -DROOT=${PROJECT_SOURCE_DIR}
                -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayersRun.cmake
        COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/layers.checked
        DEPENDS ${checked} ${list_file} ${PROJECT_SOURCE_DIR}/cmake/CheckLayersRun.cmake
        COMMENT "Checking that no layer includes one above it")
    add_custom_target(tovo_layers ALL DEPENDS ${CMAKE_BINARY_DIR}/layers.checked)
    foreach(target ${ARGV})
        add_dependencies(${target} tovo_layers)
    endforeach()
endfunction()

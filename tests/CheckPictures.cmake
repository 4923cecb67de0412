# Draws the pictures again into OUT and compares them, byte for byte, with the
# committed ones in SOURCE/res/pictures. Arguments: -DPYTHON= -DSOURCE= -DOUT=
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${PYTHON}" "${SOURCE}/scripts/make-pictures.py" --out "${OUT}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "make-pictures.py failed (${rc}):\n${out}${err}")
endif()

file(GLOB committed RELATIVE "${SOURCE}/res/pictures" "${SOURCE}/res/pictures/*")
file(GLOB drawn RELATIVE "${OUT}" "${OUT}/*")
list(SORT committed)
list(SORT drawn)
if(NOT committed STREQUAL drawn)
    message(FATAL_ERROR "files differ:\n committed: ${committed}\n drawn: ${drawn}")
endif()
set(differing)
foreach(name ${committed})
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${SOURCE}/res/pictures/${name}" "${OUT}/${name}"
        RESULT_VARIABLE same)
    if(NOT same EQUAL 0)
        list(APPEND differing ${name})
    endif()
endforeach()
if(differing)
    message(FATAL_ERROR "drawn again, these differ from the committed files: ${differing}\n"
        "run scripts/make-pictures.py and commit res/pictures")
endif()
list(LENGTH committed n)
message(STATUS "${n} pictures drawn again, all equal")

# Runs help2man over the tool and adds one subsection per command with that command's --help, and
# the examples, environment and files of xsdexchange.h2m.
# Variables: TOOL, HELP2MAN, GZIP, PAGE (the page to write; PAGE.gz is written too), WORK_DIR.

# The texts in English whatever the builder's locale.
set(ENV{LC_ALL} C.UTF-8)
set(ENV{LANGUAGE} "")

# run(<command...>), leaving the standard output in RUN_OUTPUT.
include(${CMAKE_CURRENT_LIST_DIR}/../tests/package/run.cmake)

# troff reads a backslash as an escape and a leading full stop or quote as a request.
function(as_troff text result)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${result} "${text}" PARENT_SCOPE)
endfunction()

run(${TOOL} --help)
string(REGEX MATCH "Commands:\n(([ ]+[a-z]+[ ]+[^\n]*\n)+)" listing "${RUN_OUTPUT}")
string(REGEX MATCHALL "\n  [a-z]+" commands "\n${CMAKE_MATCH_1}")
if(NOT commands)
    message(FATAL_ERROR "no command found in the output of ${TOOL} --help")
endif()

set(include "[COMMANDS IN DETAIL]\n")
foreach(command IN LISTS commands)
    string(STRIP "${command}" command)
    run(${TOOL} ${command} --help)
    as_troff("${RUN_OUTPUT}" text)
    string(APPEND include ".SS ${command}\n.nf\n${text}.fi\n")
endforeach()
string(APPEND include "[SEE ALSO]\nThe library's Python package: \\fBpydoc3 dorvellxsd\\fR.\n")
file(WRITE ${WORK_DIR}/commands.h2m "${include}")

get_filename_component(folder ${PAGE} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
run(${HELP2MAN} --no-info --section=1 --include=${WORK_DIR}/commands.h2m
    --include=${CMAKE_CURRENT_LIST_DIR}/xsdexchange.h2m
    "--name=move features between GDAL/OGR data sources and GML exchange documents"
    --output=${PAGE} ${TOOL})
run(${GZIP} -9nf --keep ${PAGE})

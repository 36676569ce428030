# The manual page reads without a warning of man's formatter (as lintian reads it) and has the
# sections that the tool's --help texts do not give.
# Variables: MAN, PAGE.

execute_process(COMMAND ${MAN} --warnings -E UTF-8 -l -Tutf8 -Z ${PAGE}
    RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR warnings)
    message(FATAL_ERROR "man reads ${PAGE} with status ${status}:\n${warnings}")
endif()

set(ENV{MANWIDTH} 80)
execute_process(COMMAND ${MAN} -l ${PAGE} OUTPUT_VARIABLE text COMMAND_ERROR_IS_FATAL ANY)
foreach(section EXAMPLES ENVIRONMENT FILES)
    if(NOT text MATCHES "\n${section}\n")
        message(FATAL_ERROR "${PAGE} has no section ${section}")
    endif()
endforeach()

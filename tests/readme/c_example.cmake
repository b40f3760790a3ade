# SPDX-License-Identifier: Apache-2.0
# The README's C example, built as a strict C99 program against libvelmora-sms and run:
# the first ```c block after "## The C API".
file(READ ${README} readme)
string(FIND "${readme}" "## The C API" section)
string(SUBSTRING "${readme}" ${section} -1 readme)
string(FIND "${readme}" "```c\n" start)
math(EXPR start "${start} + 5")
string(SUBSTRING "${readme}" ${start} -1 readme)
string(FIND "${readme}" "```" end)
string(SUBSTRING "${readme}" 0 ${end} program)
file(WRITE ${WORK_DIR}/readme_example.c "${program}")
separate_arguments(flags UNIX_COMMAND "${C_FLAGS} ${LINKER_FLAGS}")
get_filename_component(library_dir ${LIBRARY} DIRECTORY)
list(TRANSFORM INCLUDE_DIRS PREPEND -I)
execute_process(COMMAND ${C_COMPILER} ${flags} -std=c99 -Wall -Wextra -Wpedantic -Werror ${INCLUDE_DIRS}
                        ${WORK_DIR}/readme_example.c ${LIBRARY} -Wl,-rpath,${library_dir} -o ${WORK_DIR}/readme_example
                RESULT_VARIABLE built)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "the README's C example does not build")
endif()
execute_process(COMMAND ${WORK_DIR}/readme_example RESULT_VARIABLE ran OUTPUT_VARIABLE out)
if(NOT ran EQUAL 0 OR NOT out MATCHES "^deliver from \\+12345678901: hello\nAT\\+CMGS=")
    message(FATAL_ERROR "the README's C example printed: ${out}")
endif()

# SPDX-License-Identifier: Apache-2.0
# cmake -DINPUT=data/gsm7-alphabets.tsv -DOUTPUT=.../gsm7_tables.inc -P generate_gsm7_tables.cmake
# Writes the 3GPP TS 23.038 alphabets of the TSV as C++ arrays, one locking and one shift
# table of 128 UTF-16 code units per language in identifier order (default first); 0 marks
# a code the table leaves undefined.
cmake_minimum_required(VERSION 3.25)

set(languages default turkish spanish portuguese bengali gujarati hindi kannada malayalam oriya punjabi
    tamil telugu urdu)

file(STRINGS ${INPUT} rows ENCODING UTF-8)
list(POP_FRONT rows header)
if(NOT header STREQUAL "language\ttable\tcode\tcodepoint")
    message(FATAL_ERROR "${INPUT}: unexpected header '${header}'")
endif()
foreach(row IN LISTS rows)
    if(NOT row MATCHES "^([a-z]+)\t(locking|shift)\t([0-7][0-9A-F])\tU\\+([0-9A-F][0-9A-F][0-9A-F][0-9A-F])$")
        message(FATAL_ERROR "${INPUT}: cannot read row '${row}'")
    endif()
    if(NOT CMAKE_MATCH_1 IN_LIST languages)
        message(FATAL_ERROR "${INPUT}: unknown language '${CMAKE_MATCH_1}'")
    endif()
    set(cell_${CMAKE_MATCH_1}_${CMAKE_MATCH_2}_${CMAKE_MATCH_3} ${CMAKE_MATCH_4})
    set(has_${CMAKE_MATCH_1}_${CMAKE_MATCH_2} 1)
endforeach()

set(digits 0 1 2 3 4 5 6 7 8 9 A B C D E F)
function(emit_tables kind out)
    set(text "inline constexpr Gsm7Tables k${kind}Tables = {{\n")
    foreach(language IN LISTS languages)
        string(APPEND text "    // ${language}\n    {{")
        foreach(high 0 1 2 3 4 5 6 7)
            string(APPEND text "\n       ")
            foreach(low IN LISTS digits)
                set(cell cell_${language}_${ARGV2}_${high}${low})
                if(DEFINED ${cell})
                    string(APPEND text " 0x${${cell}},")
                else()
                    string(APPEND text " 0,     ")
                endif()
            endforeach()
        endforeach()
        string(APPEND text "\n    }},\n")
    endforeach()
    string(APPEND text "}};\n")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

emit_tables(Locking locking_text locking)
emit_tables(Shift shift_text shift)
set(has_locking "")
foreach(language IN LISTS languages)
    if(has_${language}_locking)
        list(APPEND has_locking true)
    else()
        list(APPEND has_locking false)
    endif()
endforeach()
list(JOIN has_locking ", " has_locking)

file(CONFIGURE OUTPUT ${OUTPUT} CONTENT [=[
// Generated from data/gsm7-alphabets.tsv by cmake/generate_gsm7_tables.cmake. Do not edit.
// Locking shift tables (the default alphabet first) and single shift tables (the default
// extension table first) of 3GPP TS 23.038, indexed by national language identifier and code.

// Spanish has no locking shift table: a receiver keeps the default alphabet.
inline constexpr std::array<bool, kLanguages> kHasLockingTable = {@has_locking@};

@locking_text@
@shift_text@]=] @ONLY)

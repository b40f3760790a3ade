# SPDX-License-Identifier: Apache-2.0
# cmake -P script behind the install_consumers test: install into a scratch prefix, check
# what is there, then build and run the C API checks of both libraries against it by
# find_package and by pkg-config. Every version the release states must be PROJECT_VERSION.
cmake_minimum_required(VERSION 3.25)
set(CONSUMER_DIR ${CMAKE_CURRENT_LIST_DIR}/consumer)
set(CHECKS ${CMAKE_CURRENT_LIST_DIR}/../c_api)

function(run)
    execute_process(COMMAND ${ARGV} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed (${rc}): ${ARGV}\n${out}\n${err}")
    endif()
    set(run_output "${out}" PARENT_SCOPE)
endfunction()

# Records the version `place` states, taken from `text` by `regex`'s first group.
function(version_of place regex text)
    if(text MATCHES "${regex}")
        set(stated "${CMAKE_MATCH_1}")
    else()
        set(stated "(none in '${text}')")
    endif()
    set(versions ${versions} "${place} ${stated}" PARENT_SCOPE)
    if(NOT stated STREQUAL PROJECT_VERSION)
        set(disagreeing ${disagreeing} "${place} ${stated}" PARENT_SCOPE)
    endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# Each library once, with its two links, the headers, and nothing of the test-only library.
# The SONAMEs stay; the files carry the project's minor.patch.
string(REGEX REPLACE "^[0-9]+" "" minor_patch ${PROJECT_VERSION})
file(GLOB_RECURSE internal ${prefix}/*velmora_internal*)
foreach(library libvelmora.so.2${minor_patch} libvelmora-sms.so.1${minor_patch})
    file(GLOB_RECURSE found ${prefix}/*/${library})
    get_filename_component(libdir "${found}" DIRECTORY)
    string(REGEX REPLACE "[.][0-9]+[.][0-9]+$" "" soname ${library})
    string(REGEX REPLACE "[.][0-9]+$" "" link ${soname})
    file(READ_SYMLINK ${libdir}/${soname} soname_target)
    if(NOT found MATCHES "^[^;]+$" OR internal OR NOT soname_target STREQUAL library OR NOT IS_SYMLINK ${libdir}/${link})
        message(FATAL_ERROR "installed: ${found} (${soname}: ${soname_target}); internal: ${internal}")
    endif()
endforeach()
foreach(header velmora.h velmora/sms.h velmora/version.h)
    if(NOT EXISTS ${prefix}/include/${header})
        message(FATAL_ERROR "${header} not installed")
    endif()
endforeach()
if(WITH_TOOL)
    run(${prefix}/bin/velmora encode --to 12345 hello)
    if(NOT run_output STREQUAL "00110005812143F50000AA05E8329BFD06\n")
        message(FATAL_ERROR "installed tool printed: ${run_output}")
    endif()
    run(${prefix}/bin/velmora --version)
    version_of("velmora --version" "^velmora ([^\n]*)\n$" "${run_output}")
endif()

# find_package(velmora 2): the whole package.
set(consumer_options -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_COMPILER=${C_COMPILER}
    "-DCMAKE_C_FLAGS=${C_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/cmake-consumer ${consumer_options})
version_of("CMake package" "velmora package ([^:]*): velmora::velmora;velmora::sms\n" "${run_output}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-consumer)
set(pc ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${libdir}/pkgconfig ${PKG_CONFIG})
separate_arguments(c_flags UNIX_COMMAND "${C_FLAGS} ${LINKER_FLAGS}")
foreach(check c_api_check:velmora sms_api_check:velmora-sms version_check:velmora-sms)
    string(REPLACE ":" ";" check ${check})
    list(GET check 0 program)
    list(GET check 1 package)
    run(${WORK_DIR}/cmake-consumer/${program})
    message(STATUS "find_package consumer: ${run_output}")
    run(${pc} --variable=libdir ${package})
    if(NOT run_output STREQUAL "${libdir}\n")
        message(FATAL_ERROR "${package}.pc gives libdir ${run_output}, installed in ${libdir}")
    endif()
    run(${pc} --cflags --libs ${package})
    separate_arguments(pc_flags UNIX_COMMAND "${run_output}")
    run(${C_COMPILER} ${c_flags} ${CHECKS}/${program}.c ${pc_flags} -Wl,-rpath,${libdir} -o ${WORK_DIR}/${program})
    run(${WORK_DIR}/${program})
    message(STATUS "pkg-config consumer: ${run_output}")
endforeach()
foreach(package velmora velmora-sms)
    run(${pc} --modversion ${package})
    version_of("${package}.pc" "^([^\n]*)\n$" "${run_output}")
endforeach()
# velmora_version() of the installed library, once version_check has found it equal to the
# installed headers' VELMORA_VERSION_STRING and its parts.
run(${WORK_DIR}/version_check)
version_of("velmora_version()" "^velmora ([^\n]*)\n$" "${run_output}")

# Each component gives its own target; an unknown one fails, saying which there are.
foreach(case "sms=velmora package [^:]*: velmora::sms " "compat=velmora package [^:]*: velmora::velmora "
             "sms,compat=velmora package [^:]*: velmora::velmora.velmora::sms "
             "cdma=velmora has no component \"cdma\"; its components are sms .* and compat")
    string(REGEX MATCH "^[^=]*" name "${case}")
    string(REPLACE "${name}=" "" expected "${case}")
    string(REPLACE "," ";" components "${name}")
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer-${name} ${consumer_options}
            "-DVELMORA_COMPONENTS=${components}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(REGEX REPLACE "[ \n]+" " " said "${out} ${err}")
    if(NOT said MATCHES "${expected}" OR (rc EQUAL 0 AND name STREQUAL "cdma") OR (rc AND NOT name STREQUAL "cdma"))
        message(FATAL_ERROR "find_package(velmora 2 COMPONENTS ${components}) (${rc}), not ${expected}:\n${said}")
    endif()
endforeach()

# The Python package's metadata, as its build backend writes it into a wheel with the licence.
run(${CMAKE_COMMAND} -E env PYTHONPATH=${PYTHON_DIR} PYTHONDONTWRITEBYTECODE=1 ${PYTHON} -c [=[
import sys, zipfile, velmora_build
wheel = zipfile.ZipFile(sys.argv[1] + "/" + velmora_build.build_wheel(sys.argv[1]))
dist_info = next(n for n in wheel.namelist() if n.endswith(".dist-info/METADATA"))[:-len("METADATA")]
with open(sys.argv[2], "rb") as licence:
    assert wheel.read(dist_info + "licenses/LICENSE") == licence.read(), "the wheel's licence is not LICENSE"
print(wheel.read(dist_info + "METADATA").decode(), end="")
]=] ${WORK_DIR} ${PYTHON_DIR}/../LICENSE)
version_of("Python metadata" "\nVersion: ([^\n]*)\n" "${run_output}")
if(NOT run_output MATCHES "\nLicense-Expression: Apache-2.0\nLicense-File: LICENSE\n")
    message(FATAL_ERROR "the wheel's metadata gives no Apache-2.0 licence:\n${run_output}")
endif()

list(JOIN versions ", " versions)
message(STATUS "versions: ${versions}")
if(disagreeing)
    message(FATAL_ERROR "not the project's ${PROJECT_VERSION}: ${disagreeing}")
endif()

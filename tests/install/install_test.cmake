# cmake -P script behind the install_consumers test: install into a scratch prefix, check
# what is there, then build and run the C API check against it by find_package and pkg-config.
cmake_minimum_required(VERSION 3.25)
set(CONSUMER_DIR ${CMAKE_CURRENT_LIST_DIR}/consumer)
set(CONSUMER_SOURCE ${CMAKE_CURRENT_LIST_DIR}/../c_api/c_api_check.c)

function(run)
    execute_process(COMMAND ${ARGV} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed (${rc}): ${ARGV}\n${out}\n${err}")
    endif()
    set(run_output "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The library once, with its two links, the header, and nothing of the test-only library.
file(GLOB_RECURSE library ${prefix}/*/libvelmora.so.2.0.0)
file(GLOB_RECURSE internal ${prefix}/*velmora_internal*)
get_filename_component(libdir "${library}" DIRECTORY)
file(READ_SYMLINK ${libdir}/libvelmora.so.2 soname_target)
if(NOT library MATCHES "^[^;]+$" OR internal OR NOT soname_target STREQUAL "libvelmora.so.2.0.0"
   OR NOT IS_SYMLINK ${libdir}/libvelmora.so OR NOT EXISTS ${prefix}/include/velmora.h)
    message(FATAL_ERROR "installed: ${library} (libvelmora.so.2: ${soname_target}); internal: ${internal}")
endif()
if(WITH_TOOL)
    run(${prefix}/bin/velmora encode --to 12345 hello)
    if(NOT run_output STREQUAL "00110005812143F50000AA05E8329BFD06\n")
        message(FATAL_ERROR "installed tool printed: ${run_output}")
    endif()
endif()

run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/cmake-consumer -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_COMPILER=${C_COMPILER} -DCONSUMER_SOURCE=${CONSUMER_SOURCE}
    "-DCMAKE_C_FLAGS=${C_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-consumer)
run(${WORK_DIR}/cmake-consumer/consumer)
message(STATUS "find_package consumer: ${run_output}")

set(pc ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${libdir}/pkgconfig ${PKG_CONFIG})
run(${pc} --variable=libdir velmora)
if(NOT run_output STREQUAL "${libdir}\n")
    message(FATAL_ERROR "velmora.pc gives libdir ${run_output}, installed in ${libdir}")
endif()
run(${pc} --cflags --libs velmora)
separate_arguments(pc_flags UNIX_COMMAND "${run_output}")
separate_arguments(c_flags UNIX_COMMAND "${C_FLAGS} ${LINKER_FLAGS}")
run(${C_COMPILER} ${c_flags} ${CONSUMER_SOURCE} ${pc_flags} -Wl,-rpath,${libdir} -o ${WORK_DIR}/pkg-config-consumer)
run(${WORK_DIR}/pkg-config-consumer)
message(STATUS "pkg-config consumer: ${run_output}")

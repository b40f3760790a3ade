# SPDX-License-Identifier: Apache-2.0
# CPack post-build script for the .deb files: what CPack 3.25's DEB generator cannot
# write, done with dpkg-deb. "Multi-Arch: same" for the packages named in
# CPACK_VELMORA_MULTIARCH_SAME, and the ldconfig trigger in place of a postinst or
# postrm that does nothing but call ldconfig.
find_program(DPKG_DEB dpkg-deb REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    if(NOT deb MATCHES "\\.deb$")
        continue()
    endif()
    set(tree ${deb}.tree)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND ${DPKG_DEB} --raw-extract ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    set(changed FALSE)

    file(READ ${tree}/DEBIAN/control control)
    if(control MATCHES "(^|\n)Package: ([^\n]+)" AND CMAKE_MATCH_2 IN_LIST CPACK_VELMORA_MULTIARCH_SAME
       AND NOT control MATCHES "(^|\n)Multi-Arch:")
        string(STRIP "${control}" control)
        file(WRITE ${tree}/DEBIAN/control "${control}\nMulti-Arch: same\n")
        set(changed TRUE)
    endif()

    foreach(script postinst postrm)
        if(NOT EXISTS ${tree}/DEBIAN/${script})
            continue()
        endif()
        file(READ ${tree}/DEBIAN/${script} body)
        string(REGEX REPLACE "(#![^\n]*|set -e|if [^\n]*; then|fi|[\t ]*ldconfig)?\n" "" rest "${body}")
        if(body MATCHES "ldconfig" AND rest STREQUAL "")
            file(REMOVE ${tree}/DEBIAN/${script})
            file(WRITE ${tree}/DEBIAN/triggers "activate-noawait ldconfig\n")
            set(changed TRUE)
        endif()
    endforeach()

    if(changed)
        execute_process(COMMAND ${DPKG_DEB} --root-owner-group -Z${CPACK_DEBIAN_COMPRESSION_TYPE}
                --build ${tree} ${deb}
            OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    endif()
    file(REMOVE_RECURSE ${tree})
endforeach()

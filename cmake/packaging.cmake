# SPDX-License-Identifier: Apache-2.0
# Debian packages, one per install component: `cpack -G DEB` in a build configured with
# the deb preset (prefix /usr, so GNUInstallDirs picks lib/<multiarch>) writes
#   libvelmora2       libvelmora.so.2 and its SONAME link       (libs, Multi-Arch: same)
#   libvelmora-sms1   libvelmora-sms.so.1 and its SONAME link   (libs, Multi-Arch: same)
#   libvelmora-dev    headers, .so links, .pc and CMake files    (libdevel, Multi-Arch: same)
#   velmora           the tool and velmora(1)                    (comm)
# All four carry the project's version, debian/copyright (Apache-2.0) and a changelog in
# /usr/share/doc/<package>; Depends come from dpkg-shlibdeps plus the
# exact-version relations between these packages.
set(CPACK_PACKAGE_VENDOR "velmora developers")
set(CPACK_PACKAGE_CONTACT "velmora developers <maintainers@users.noreply.example>")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL libvelmora libvelmora_sms development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps finds the tool's libraries where they are built; the package relation
# itself comes from the component dependencies below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_LIBVELMORA_PACKAGE_NAME libvelmora2)
set(CPACK_DEBIAN_LIBVELMORA_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBVELMORA_DESCRIPTION "SMS PDU library, sms_* record API
libvelmora encodes SMS-SUBMIT and decodes SMS-DELIVER PDUs, GSM and 3GPP2,
as hexadecimal text through the sms_* record API.
This package holds the shared library libvelmora.so.2.")

set(CPACK_DEBIAN_LIBVELMORA_SMS_PACKAGE_NAME libvelmora-sms1)
set(CPACK_DEBIAN_LIBVELMORA_SMS_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBVELMORA_SMS_DESCRIPTION "SMS PDU library, velmora_* API
libvelmora-sms reads SMS-DELIVER, SMS-SUBMIT, SMS-STATUS-REPORT and 3GPP2
PDUs whole into UTF-8, with the offset and field where a PDU is malformed.
This package holds the shared library libvelmora-sms.so.1.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libvelmora-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS libvelmora libvelmora_sms)
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "SMS PDU libraries - development files
The headers velmora.h and velmora/sms.h, the libvelmora.so and
libvelmora-sms.so links, the pkg-config files velmora and velmora-sms and
the CMake package velmora (targets velmora::velmora and velmora::sms).")

if(TARGET velmora_cli)
    list(APPEND CPACK_COMPONENTS_ALL tool)
    set(CPACK_DEBIAN_TOOL_PACKAGE_NAME velmora)
    set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION comm)
    set(CPACK_DEBIAN_TOOL_DESCRIPTION "command-line SMS PDU encoder and decoder
velmora encodes text into SMS-SUBMIT PDUs, optionally with the AT+CMGS
line a modem needs, and decodes received PDUs, GSM or 3GPP2, to text or
JSON lines.")
    # The tool depends on the package of each velmora library it links.
    get_target_property(velmora_cli_links velmora_cli LINK_LIBRARIES)
    foreach(lib IN LISTS velmora_cli_links)
        if(TARGET ${lib})
            get_target_property(aliased ${lib} ALIASED_TARGET)
            if(aliased)
                set(lib ${aliased})
            endif()
        endif()
        if(lib STREQUAL "velmora")
            list(APPEND CPACK_COMPONENT_TOOL_DEPENDS libvelmora)
        elseif(lib STREQUAL "velmora_sms")
            list(APPEND CPACK_COMPONENT_TOOL_DEPENDS libvelmora_sms)
        endif()
    endforeach()
endif()

# Debian's documents in every package: debian/copyright (the licence) and the changelog
# of this version, as /usr/share/doc/<package>/copyright and changelog.Debian.gz. The
# changelog's date honours SOURCE_DATE_EPOCH. A component added after the loop below calls
# velmora_deb_docs itself, once its package name is set.
set(VELMORA_DEB_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
string(TIMESTAMP VELMORA_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(velmora_deb_changelog ${PROJECT_BINARY_DIR}/debian/changelog.Debian)
configure_file(${PROJECT_SOURCE_DIR}/debian/changelog.in ${velmora_deb_changelog} @ONLY)
find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${GZIP} -9 -n -f ${velmora_deb_changelog} COMMAND_ERROR_IS_FATAL ANY)
function(velmora_deb_docs component)
    string(TOUPPER ${component} upper)
    set(package ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
    if(NOT package)
        message(FATAL_ERROR "velmora_deb_docs: set CPACK_DEBIAN_${upper}_PACKAGE_NAME first")
    endif()
    install(FILES ${PROJECT_SOURCE_DIR}/debian/copyright ${velmora_deb_changelog}.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endfunction()
include(${CMAKE_CURRENT_LIST_DIR}/python_package.cmake)
foreach(component IN LISTS CPACK_COMPONENTS_ALL)
    velmora_deb_docs(${component})
endforeach()

# CPack 3.25 writes neither Multi-Arch nor the ldconfig trigger: a script adds them.
set(CPACK_VELMORA_MULTIARCH_SAME libvelmora2 libvelmora-sms1 libvelmora-dev)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_finish.cmake)

include(CPack)

# SPDX-License-Identifier: Apache-2.0
# Installation: both shared libraries with their SONAME links, their headers, the tool
# and its man page, a pkg-config file each and one CMake package exporting
# velmora::velmora (its component compat) and velmora::sms (its component sms).
# velmora_internal exists for the unit tests only and is not installed. One install
# component per Debian package (cmake/packaging.cmake): libvelmora (libvelmora.so.2.*),
# libvelmora_sms (libvelmora-sms.so.1.*), development (headers, .so links, .pc and CMake
# files) and tool.
include(CMakePackageConfigHelpers)

set(VELMORA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/velmora)

set_target_properties(velmora_sms PROPERTIES EXPORT_NAME sms)
install(TARGETS velmora EXPORT velmora-compat-targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        COMPONENT libvelmora
        NAMELINK_COMPONENT development)
install(TARGETS velmora_sms EXPORT velmora-sms-targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        COMPONENT libvelmora_sms
        NAMELINK_COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/include/velmora.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/include/velmora/sms.h ${VELMORA_GENERATED_INCLUDE_DIR}/velmora/version.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velmora COMPONENT development)

if(TARGET velmora_cli)
    # Outside the system library directories the tool finds the library next to it.
    # Debian's multiarch directories are in the loader's default path too.
    set(velmora_system_libdirs ${CMAKE_PLATFORM_IMPLICIT_LINK_DIRECTORIES})
    if(CMAKE_LIBRARY_ARCHITECTURE)
        list(APPEND velmora_system_libdirs
            /lib/${CMAKE_LIBRARY_ARCHITECTURE} /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE})
    endif()
    if(NOT CMAKE_INSTALL_FULL_LIBDIR IN_LIST velmora_system_libdirs)
        file(RELATIVE_PATH velmora_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
        set_target_properties(velmora_cli PROPERTIES INSTALL_RPATH "$ORIGIN/${velmora_bin_to_lib}")
    endif()
    # The tool's imported target has an export file of its own, installed with the tool,
    # so that the CMake package works without it.
    install(TARGETS velmora_cli EXPORT velmoraToolTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
    install(EXPORT velmoraToolTargets
        NAMESPACE velmora::
        DESTINATION ${VELMORA_CMAKE_DIR}
        COMPONENT tool)

    # velmora(1), written from the tool's --help when the tool can run here.
    if(NOT CMAKE_CROSSCOMPILING)
        set(velmora_man ${PROJECT_BINARY_DIR}/man/velmora.1.gz)
        add_custom_command(OUTPUT ${velmora_man}
            COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:velmora_cli> -DOUTPUT=${velmora_man}
                    "-DSUMMARY=encode and decode SMS PDUs"
                    -P ${CMAKE_CURRENT_LIST_DIR}/velmora_manpage.cmake
            DEPENDS velmora_cli ${CMAKE_CURRENT_LIST_DIR}/velmora_manpage.cmake
            COMMENT "Writing the velmora(1) man page from velmora --help"
            VERBATIM)
        add_custom_target(velmora_manpage ALL DEPENDS ${velmora_man})
        install(FILES ${velmora_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tool)
    endif()
endif()

# One export file per component of the CMake package (velmoraConfig.cmake.in).
foreach(export velmora-compat-targets velmora-sms-targets)
    install(EXPORT ${export}
        NAMESPACE velmora::
        DESTINATION ${VELMORA_CMAKE_DIR}
        COMPONENT development)
endforeach()
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/velmoraConfig.cmake.in
    ${PROJECT_BINARY_DIR}/velmoraConfig.cmake
    INSTALL_DESTINATION ${VELMORA_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/velmoraConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/velmoraConfig.cmake ${PROJECT_BINARY_DIR}/velmoraConfigVersion.cmake
    DESTINATION ${VELMORA_CMAKE_DIR} COMPONENT development)

# The .pc files are written at install time, so that their prefix is the one installed to
# (cmake --install --prefix included), without DESTDIR.
set(velmora_pc_script [=[
    set(VELMORA_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
    set(VELMORA_DIR_LIBDIR "@CMAKE_INSTALL_LIBDIR@")
    set(VELMORA_DIR_INCLUDEDIR "@CMAKE_INSTALL_INCLUDEDIR@")
    foreach(kind LIBDIR INCLUDEDIR)
        set(dir "${VELMORA_DIR_${kind}}")
        if(IS_ABSOLUTE "${dir}")
            set(VELMORA_PC_${kind} "${dir}")
        else()
            set(VELMORA_PC_${kind} "\${prefix}/${dir}")
        endif()
    endforeach()
    set(PROJECT_VERSION "@PROJECT_VERSION@")
    configure_file("@CMAKE_CURRENT_LIST_DIR@/velmora.pc.in" "@PROJECT_BINARY_DIR@/velmora.pc" @ONLY)
    configure_file("@CMAKE_CURRENT_LIST_DIR@/velmora-sms.pc.in" "@PROJECT_BINARY_DIR@/velmora-sms.pc" @ONLY)
]=])
string(CONFIGURE "${velmora_pc_script}" velmora_pc_script @ONLY)
install(CODE "${velmora_pc_script}" COMPONENT development)
install(FILES ${PROJECT_BINARY_DIR}/velmora.pc ${PROJECT_BINARY_DIR}/velmora-sms.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

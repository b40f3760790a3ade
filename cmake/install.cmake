# Installation: the shared library with its SONAME links, the header, the tool, a
# pkg-config file and a CMake package exporting velmora::velmora. velmora_internal
# exists for the unit tests only and is not installed.
include(CMakePackageConfigHelpers)

set(VELMORA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/velmora)

install(TARGETS velmora EXPORT velmoraTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        COMPONENT runtime
        NAMELINK_COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/include/velmora.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

if(TARGET velmora_cli)
    # Outside the system library directories the tool finds the library next to it.
    list(FIND CMAKE_PLATFORM_IMPLICIT_LINK_DIRECTORIES "${CMAKE_INSTALL_FULL_LIBDIR}" velmora_libdir_is_system)
    if(velmora_libdir_is_system EQUAL -1)
        file(RELATIVE_PATH velmora_bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
        set_target_properties(velmora_cli PROPERTIES INSTALL_RPATH "$ORIGIN/${velmora_bin_to_lib}")
    endif()
    install(TARGETS velmora_cli EXPORT velmoraTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
endif()

install(EXPORT velmoraTargets
    NAMESPACE velmora::
    DESTINATION ${VELMORA_CMAKE_DIR}
    COMPONENT development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/velmoraConfig.cmake.in
    ${PROJECT_BINARY_DIR}/velmoraConfig.cmake
    INSTALL_DESTINATION ${VELMORA_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/velmoraConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/velmoraConfig.cmake ${PROJECT_BINARY_DIR}/velmoraConfigVersion.cmake
    DESTINATION ${VELMORA_CMAKE_DIR} COMPONENT development)

# velmora.pc is written at install time, so that its prefix is the one installed to
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
]=])
string(CONFIGURE "${velmora_pc_script}" velmora_pc_script @ONLY)
install(CODE "${velmora_pc_script}" COMPONENT development)
install(FILES ${PROJECT_BINARY_DIR}/velmora.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

# SPDX-License-Identifier: Apache-2.0
# python3-velmora: the Python package (python/velmora, pure Python over libvelmora-sms.so.1
# through ctypes) in Debian's module directory, with the dist-info that pip and
# importlib.metadata read. Architecture all; Depends: python3 and libvelmora-sms1 of the
# same version. EXCLUDE_FROM_ALL: a plain `cmake --install` leaves Debian's paths alone.
set(velmora_python_dir lib/python3/dist-packages)
set(velmora_dist_info ${PROJECT_BINARY_DIR}/python/velmora-${PROJECT_VERSION}.dist-info)
file(WRITE ${velmora_dist_info}/METADATA "Metadata-Version: 2.1\nName: velmora\nVersion: ${PROJECT_VERSION}\n"
     "Summary: SMS PDUs decoded into UTF-8 text and text encoded into SMS-SUBMIT PDUs (libvelmora-sms)\n"
     "Requires-Python: >=3.9\nLicense-Expression: Apache-2.0\n")
file(WRITE ${velmora_dist_info}/INSTALLER "debian\n")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/python/velmora DESTINATION ${velmora_python_dir}
        COMPONENT python EXCLUDE_FROM_ALL
        FILES_MATCHING PATTERN "*.py" PATTERN "py.typed" PATTERN "__pycache__" EXCLUDE)
install(DIRECTORY ${velmora_dist_info} DESTINATION ${velmora_python_dir} COMPONENT python EXCLUDE_FROM_ALL)

list(APPEND CPACK_COMPONENTS_ALL python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-velmora)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3 (>= 3.9)")
set(CPACK_COMPONENT_PYTHON_DEPENDS libvelmora_sms)
set(CPACK_DEBIAN_PYTHON_DESCRIPTION "SMS PDU library - Python 3 package
velmora decodes SMS-DELIVER, SMS-SUBMIT, SMS-STATUS-REPORT and 3GPP2 PDUs
into messages with UTF-8 text and timezone-aware datetimes, encodes text
into SMS-SUBMIT PDUs and joins concatenated messages, through
libvelmora-sms.so.1 (ctypes). Typed (py.typed).")

# What differs by CPack generator, read by cpack for each: a tarball is laid
# out from its own top folder, not under /usr, and named for the system and
# processor; a .deb of a program linked with shared libraries depends on
# what dpkg-shlibdeps finds for it, or is not made at all.
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_TOLVARIN_TARBALL_NAME})
  set(CPACK_PACKAGING_INSTALL_PREFIX /)
elseif(CPACK_GENERATOR STREQUAL "DEB" AND CPACK_TOLVARIN_PROGRAM)
  find_program(shlibdeps dpkg-shlibdeps)
  if(NOT shlibdeps)
    message(FATAL_ERROR "A .deb's dependencies come from dpkg-shlibdeps, which is not installed: "
                        "sudo apt-get install dpkg-dev")
  endif()
  # It reads the control file of a source package, which may be empty.
  get_filename_component(scratch ${CPACK_TOLVARIN_PROGRAM} DIRECTORY)
  set(scratch ${scratch}/shlibdeps)
  file(WRITE ${scratch}/debian/control "")
  execute_process(COMMAND ${shlibdeps} -O -e ${CPACK_TOLVARIN_PROGRAM}
                  WORKING_DIRECTORY ${scratch} RESULT_VARIABLE failed
                  OUTPUT_VARIABLE substvars ERROR_VARIABLE errors)
  if(failed OR NOT substvars MATCHES "shlibs:Depends=([^\n]+)")
    message(FATAL_ERROR "dpkg-shlibdeps found no dependencies for ${CPACK_TOLVARIN_PROGRAM}:\n${errors}")
  endif()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS ${CMAKE_MATCH_1})
endif()

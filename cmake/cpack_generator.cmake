# What differs by CPack generator, read by cpack for each: a tarball is laid
# out from its own top folder, not under /usr, and named for the system and
# processor.
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_TOLVARIN_TARBALL_NAME})
  set(CPACK_PACKAGING_INSTALL_PREFIX /)
endif()

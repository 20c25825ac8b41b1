# What `cmake --install` puts where, and the packages CPack makes of it: a
# ZIP on Windows; elsewhere a Debian package (TOLVARIN_PACKAGE=DEB, the
# default on Debian and its derivatives), an RPM (RPM) or a tarball laid
# out as a prefix (TGZ, the default elsewhere). `cmake --workflow --preset
# packages` makes them all.
include(GNUInstallDirs)
# A Debian package where Debian's tools are at home, a tarball elsewhere.
if(EXISTS /etc/debian_version)
  set(default_package DEB)
else()
  set(default_package TGZ)
endif()
set(TOLVARIN_PACKAGE ${default_package} CACHE STRING "The layout installed and what cpack makes, on Linux and other Unix systems: DEB, RPM or TGZ")
# Folders are made readable to all whatever the umask, as their files are.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_NAME tolvarin)
set(CPACK_PACKAGE_VENDOR "Tolvarin developers")
set(CPACK_PACKAGE_CONTACT "Tolvarin developers <tolvarin@example.org>")
set(CPACK_STRIP_FILES ON)
# Every staged file dated SOURCE_DATE_EPOCH, where it is set.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/source_date.cmake)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Tolvarin prints a binary file as hexadecimal fields of 1, 2, 4 or 8\n"
       "bytes, in the order a layout string of those digits gives, one pass\n"
       "over the layout per output line, in big- or little-endian byte order,\n"
       "with no addresses. Its messages are Japanese texts: in UTF-8 on a\n"
       "terminal whose locale is UTF-8, in Shift_JIS everywhere else.")

if(WIN32)
  # A ZIP laid out for Windows: the program, the READMEs, the Windows notes
  # and the licence.
  install(TARGETS Tolvarin RUNTIME DESTINATION .)
  install(FILES README.md README.ja.md WINDOWS.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME tolvarin-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME tolvarin-${PROJECT_VERSION}-win32)
  endif()
  include(CPack)
  return()
endif()

# Debian's layout: stripped program, gzipped manual pages and changelog, the
# licence as the machine-readable copyright file.
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/tolvarin)
set(gzipped)
foreach(page man/Tolvarin.1 man/ja/Tolvarin.1 packaging/changelog)
  set(target ${CMAKE_BINARY_DIR}/${page}.gz)
  get_filename_component(folder ${target} DIRECTORY)
  add_custom_command(OUTPUT ${target}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                     COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/${page} > ${target}
                     DEPENDS ${page} VERBATIM)
  list(APPEND gzipped ${target})
endforeach()
add_custom_target(gzipped_docs ALL DEPENDS ${gzipped})
install(TARGETS Tolvarin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/man/Tolvarin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/man/ja/Tolvarin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz packaging/copyright DESTINATION ${docdir})
if(NOT TOLVARIN_PACKAGE STREQUAL "DEB")
  # Debian's copyright file is the licence already.
  install(FILES README.md README.ja.md LICENSE DESTINATION ${docdir})
endif()

# The shells' completions, where each shell looks. zsh looks in
# share/zsh/site-functions under /usr/local (Debian, macOS) and under /usr
# on Fedora and openSUSE, but in share/zsh/vendor-completions under Debian's
# /usr; the prefix is only known when installing.
install(FILES packaging/bash-completion/Tolvarin DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES packaging/fish-completion/Tolvarin.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
install(CODE "
  set(zsh_dir ${CMAKE_INSTALL_DATADIR}/zsh/site-functions)
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\" AND \"${TOLVARIN_PACKAGE}\" STREQUAL \"DEB\")
    set(zsh_dir ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
  endif()
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/\${zsh_dir}\" TYPE FILE
       FILES \"${CMAKE_SOURCE_DIR}/packaging/zsh-completion/_Tolvarin\")")

# Where names differ by case, the command also answers to the package's
# name: links from `tolvarin` to the program, its pages and completions.
# (On macOS's and Windows' usual file systems a link would replace the
# program itself.)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  # Installs into `destination` a link named `name` to `target` beside it.
  function(install_link name target destination)
    set(link ${CMAKE_BINARY_DIR}/links/${destination}/${name})
    get_filename_component(folder ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK ${target} ${link} SYMBOLIC)
    install(FILES ${link} DESTINATION ${destination})
  endfunction()
  install_link(tolvarin Tolvarin ${CMAKE_INSTALL_BINDIR})
  install_link(tolvarin.1.gz Tolvarin.1.gz ${CMAKE_INSTALL_MANDIR}/man1)
  install_link(tolvarin.1.gz Tolvarin.1.gz ${CMAKE_INSTALL_MANDIR}/ja/man1)
  install_link(tolvarin Tolvarin ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  install_link(tolvarin.fish Tolvarin.fish ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
endif()

# The processor's name in each package format.
set(processor ${CMAKE_SYSTEM_PROCESSOR})
if(processor MATCHES "^(x86_64|AMD64|amd64)$")
  set(deb_arch amd64)
  set(rpm_arch x86_64)
elseif(processor MATCHES "^(aarch64|arm64|ARM64)$")
  set(deb_arch arm64)
  set(rpm_arch aarch64)
elseif(processor MATCHES "^arm")
  set(deb_arch armhf)
  set(rpm_arch armv7hl)
  set(tarball_arch arm)
else()
  set(deb_arch ${processor})
  set(rpm_arch ${processor})
endif()
if(NOT tarball_arch)
  set(tarball_arch ${rpm_arch})
endif()
# The system in a tarball's name: linux, or macos for a build on a Mac.
string(TOLOWER ${CMAKE_SYSTEM_NAME} tarball_system)
if(APPLE)
  set(tarball_system macos)
  set(tarball_arch ${processor})
endif()

set(CPACK_GENERATOR ${TOLVARIN_PACKAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${deb_arch})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(TOLVARIN_STATIC)
  # A static program depends on nothing. In a .deb it is 32-bit ARM's, from
  # ARMv5TE code and C library, so that it runs on the ARMv6 boards as well,
  # which the armhf C library (ARMv7, Thumb-2) does not; lintian is told why.
  if(TOLVARIN_PACKAGE STREQUAL "DEB")
    install(FILES packaging/lintian-overrides RENAME tolvarin DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)
  endif()
else()
  # The dependencies dpkg-shlibdeps finds for the program, computed when
  # cpack runs (cpack_generator.cmake), which fails if it cannot.
  set(CPACK_TOLVARIN_PROGRAM ${CMAKE_BINARY_DIR}/Tolvarin)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_RPM_PACKAGE_ARCHITECTURE ${rpm_arch})
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_RPM_PACKAGE_GROUP "Applications/System")
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
# The program needs nothing: a static one for the RPM systems.
set(CPACK_RPM_PACKAGE_AUTOREQ OFF)
# The program as cpack stripped it, the same file as in the tarball.
set(CPACK_RPM_SPEC_INSTALL_POST /bin/true)
# Dated SOURCE_DATE_EPOCH, where it is set, and built on no host in
# particular, so that every build of the same sources is the same file.
string(CONCAT CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_PACKAGE_CONTACT}\n"
       "%define _buildhost reproducible\n"
       "%define use_source_date_epoch_as_buildtime 1\n"
       "%define clamp_mtime_to_source_date_epoch 1")
# The RPM's changelog, written from Debian's: the same entries, newest first.
file(STRINGS packaging/changelog lines)
set(rpm_changelog "")
foreach(line IN LISTS lines)
  if(line MATCHES "^tolvarin \\(([^)]+)\\)")
    set(version ${CMAKE_MATCH_1})
    set(entry "")
  elseif(line MATCHES "^  \\* (.*)")
    string(APPEND entry "- ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^    (.*)")
    string(APPEND entry "  ${CMAKE_MATCH_1}\n")
  elseif(line MATCHES "^ -- (.*>)  ([A-Z][a-z][a-z]), ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+)")
    string(APPEND rpm_changelog "* ${CMAKE_MATCH_2} ${CMAKE_MATCH_4} ${CMAKE_MATCH_3} ${CMAKE_MATCH_5} "
                                "${CMAKE_MATCH_1} - ${version}-1\n${entry}\n")
  endif()
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/rpm-changelog "${rpm_changelog}")
set(CPACK_RPM_CHANGELOG_FILE ${CMAKE_BINARY_DIR}/rpm-changelog)
# Folders every system already owns are not the package's own.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
    /usr/share/man /usr/share/man/man1 /usr/share/man/ja /usr/share/man/ja/man1 /usr/share/bash-completion /usr/share/bash-completion/completions
    /usr/share/zsh /usr/share/zsh/site-functions /usr/share/fish /usr/share/fish/vendor_completions.d)
# A tarball is a prefix to unpack anywhere: bin, share/man, share/doc and
# the completions under one folder named for the system and processor.
set(CPACK_TOLVARIN_TARBALL_NAME tolvarin-${PROJECT_VERSION}-${tarball_system}-${tarball_arch})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_generator.cmake)
include(CPack)

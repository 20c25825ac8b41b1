# Every package from one source tree, into dist/: a build of its own for
# each, configured as a user would configure it, then cpack; then the source
# tarball and SHA256SUMS. Debian's amd64 and arm64 packages link the C
# library as Debian's do; the RPMs, the tarballs and the armhf .deb hold a
# static program, which runs on any Linux whatever its C library (RHEL 8's
# glibc 2.28, musl, an ARMv6 Raspberry Pi's). Every file is the same bytes
# from the same sources: dated SOURCE_DATE_EPOCH, or else the newest
# changelog entry's date, made under a fixed umask, time zone and locale.
# dist/ is only written once every package is made, and then holds exactly
# them. Use: cmake --workflow --preset packages
include(ExternalProject)
set(dist ${CMAKE_SOURCE_DIR}/dist)
set(made ${CMAKE_BINARY_DIR}/made)

# What it takes, checked before anything is built: each missing tool named
# with the Debian package that has it.
set(needs
    "aarch64-linux-gnu-g++|g++-aarch64-linux-gnu"
    "arm-linux-gnueabi-g++|g++-arm-linux-gnueabi"
    "i686-w64-mingw32-g++|g++-mingw-w64-i686"
    "x86_64-w64-mingw32-g++|g++-mingw-w64-x86-64"
    "dpkg-shlibdeps|dpkg-dev"
    "rpmbuild|rpm"
    "/usr/lib/aarch64-linux-gnu/libc.so.6|libc6:arm64")
if(EXISTS ${CMAKE_SOURCE_DIR}/.git)
  list(APPEND needs "git|git")
endif()
set(missing)
foreach(need IN LISTS needs)
  string(REPLACE "|" ";" need "${need}")
  list(GET need 0 tool)
  list(GET need 1 package)
  if(NOT IS_ABSOLUTE ${tool})
    find_program(path ${tool} NO_CACHE)
    set(tool ${path})
    unset(path)
  endif()
  if(NOT EXISTS "${tool}")
    list(APPEND missing ${package})
  endif()
endforeach()
if(missing)
  list(JOIN missing " " missing)
  set(architecture)
  if(missing MATCHES ":arm64")
    set(architecture "sudo dpkg --add-architecture arm64 && sudo apt-get update\n  ")
  endif()
  message(FATAL_ERROR "Making every package needs what is not installed; nothing was made. On Debian:\n"
                      "  ${architecture}sudo apt-get install ${missing}\n"
                      "This machine's own package alone needs only dpkg-dev: see the README, "Build, run and install".")
endif()

# The date of everything in the packages.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog signature REGEX "^ -- " LIMIT_COUNT 1)
  string(REGEX REPLACE "^ -- .*>  " "" date "${signature}")
  execute_process(COMMAND date -u -d "${date}" +%s OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "No date for the packages: SOURCE_DATE_EPOCH is '$ENV{SOURCE_DATE_EPOCH}', the changelog's '${date}'")
endif()
message(STATUS "Packages dated ${epoch} (SOURCE_DATE_EPOCH)")
# Runs cpack for each package: the same umask, time zone and locale
# wherever it is made.
set(fixed sh ${CMAKE_SOURCE_DIR}/cmake/fixed_environment.sh SOURCE_DATE_EPOCH=${epoch})

add_custom_target(empty_made COMMAND ${CMAKE_COMMAND} -E rm -rf ${made}
                             COMMAND ${CMAKE_COMMAND} -E make_directory ${made})

# Each row: name | toolchain file (none: this machine's compiler) | Debian
# architecture for dpkg-shlibdeps | options | generators, split by commas.
set(packages
    "deb-amd64|||-DTOLVARIN_PACKAGE=DEB|DEB"
    "deb-arm64|aarch64-linux-gnu|arm64|-DTOLVARIN_PACKAGE=DEB|DEB"
    "deb-armhf|arm-linux-gnueabi||-DTOLVARIN_STATIC=ON -DTOLVARIN_PACKAGE=DEB|DEB"
    "static-x86_64|||-DTOLVARIN_STATIC=ON -DTOLVARIN_PACKAGE=RPM|RPM,TGZ"
    "static-aarch64|aarch64-linux-gnu||-DTOLVARIN_STATIC=ON -DTOLVARIN_PACKAGE=RPM|RPM,TGZ"
    "static-arm|arm-linux-gnueabi||-DTOLVARIN_STATIC=ON -DTOLVARIN_PACKAGE=TGZ|TGZ"
    "win32|mingw-i686|||ZIP"
    "win64|mingw-x86_64|||ZIP")
set(package_targets)
foreach(package IN LISTS packages)
  string(REPLACE "|" ";" fields "${package}")
  list(GET fields 0 name)
  list(GET fields 1 toolchain)
  list(GET fields 2 deb_host)
  list(GET fields 3 options)
  list(GET fields 4 generators)
  separate_arguments(options UNIX_COMMAND "${options}")
  set(arguments -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release ${options})
  if(toolchain)
    list(APPEND arguments -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/${toolchain}.cmake)
  else()
    list(APPEND arguments -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER})
  endif()
  set(environment)
  if(deb_host)
    # dpkg-shlibdeps looks for the program's libraries where that
    # architecture keeps them.
    set(environment DEB_HOST_ARCH=${deb_host})
  endif()
  ExternalProject_Add(${name}
    DEPENDS empty_made
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/${name}
    CMAKE_ARGS ${arguments}
    BUILD_ALWAYS ON
    LIST_SEPARATOR ,
    INSTALL_COMMAND ${fixed} ${environment} ${CMAKE_CPACK_COMMAND} -G ${generators} -D CPACK_OUTPUT_FILE_PREFIX=${made})
  list(APPEND package_targets ${name})
endforeach()

# The source tarball and the checksums, then dist/.
add_custom_target(release ALL
  COMMAND ${fixed} ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DMADE=${made} -DDIST=${dist}
          -DNAME=tolvarin-${PROJECT_VERSION} -P ${CMAKE_SOURCE_DIR}/cmake/release.cmake
  DEPENDS ${package_targets} VERBATIM)

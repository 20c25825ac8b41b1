# Every package from one source tree, into dist/: a build of its own for
# each, configured as a user would configure it, then cpack. Debian's
# packages link the C library as Debian's do; the RPMs and the tarballs hold
# a static program, which runs on any Linux whatever its C library (RHEL 8's
# glibc 2.28, musl) and is the same file in both. Needs the cross compilers
# the presets use, rpmbuild (package rpm), and libc6 of each foreign Debian
# architecture for the .debs' dependencies (dpkg --add-architecture).
# Use: cmake --workflow --preset packages
include(ExternalProject)
set(dist ${CMAKE_SOURCE_DIR}/dist)
file(MAKE_DIRECTORY ${dist})

# Each row: name | toolchain file (none: this machine's compiler) | Debian
# architecture for dpkg-shlibdeps | options | generators, split by commas.
set(packages
    "deb-amd64|||-DTOLVARIN_PACKAGE=DEB|DEB"
    "deb-arm64|aarch64-linux-gnu|arm64|-DTOLVARIN_PACKAGE=DEB|DEB"
    "deb-armhf|arm-linux-gnueabihf|armhf|-DTOLVARIN_PACKAGE=DEB|DEB"
    "static-x86_64|||-DTOLVARIN_STATIC=ON -DTOLVARIN_PACKAGE=RPM|RPM,TGZ"
    "static-aarch64|aarch64-linux-gnu||-DTOLVARIN_STATIC=ON -DTOLVARIN_PACKAGE=RPM|RPM,TGZ"
    "win32|mingw-i686|||ZIP"
    "win64|mingw-x86_64|||ZIP")
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
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/${name}
    CMAKE_ARGS ${arguments}
    BUILD_ALWAYS ON
    LIST_SEPARATOR ,
    INSTALL_COMMAND ${CMAKE_COMMAND} -E env ${environment}
                    ${CMAKE_CPACK_COMMAND} -G ${generators} -D CPACK_OUTPUT_FILE_PREFIX=${dist})
endforeach()

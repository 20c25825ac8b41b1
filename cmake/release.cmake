# The last step of the packages preset: the source tarball NAME.tar.gz
# beside the packages in MADE, then DIST emptied and filled with them and
# SHA256SUMS. Run with SOURCE_DATE_EPOCH set, the date of every file in the
# tarball. Use: cmake -DSOURCE=... -DMADE=... -DDIST=... -DNAME=... -P release.cmake

# The tree as committed, no build outputs and no .git, read back from git
# and archived with fixed owners, modes, order and dates; gzip stores no
# name or date.
function(run)
  execute_process(${ARGN} RESULTS_VARIABLE results)
  foreach(result IN LISTS results)
    if(NOT result EQUAL 0)
      list(JOIN ARGN " " command)
      message(FATAL_ERROR "failed (${results}): ${command}")
    endif()
  endforeach()
endfunction()
if(EXISTS ${SOURCE}/.git)
  set(tree ${MADE}/../source)
  file(REMOVE_RECURSE ${tree})
  file(MAKE_DIRECTORY ${tree})
  run(COMMAND git -C ${SOURCE} archive --format=tar --prefix=${NAME}/ HEAD
      COMMAND tar -xf - -C ${tree})
  run(COMMAND tar --sort=name --mtime=@$ENV{SOURCE_DATE_EPOCH} --owner=0 --group=0 --numeric-owner
              --mode=u+rw,go-w --format=gnu -cf - ${NAME}
      COMMAND gzip -9n
      WORKING_DIRECTORY ${tree} OUTPUT_FILE ${MADE}/${NAME}.tar.gz)
else()
  message(WARNING "No source tarball: ${SOURCE} is not a git checkout, and the tarball holds what is committed.")
endif()

file(REMOVE_RECURSE ${DIST})
file(GLOB files RELATIVE ${MADE} ${MADE}/*)
list(SORT files)
set(sums)
foreach(file IN LISTS files)
  file(SHA256 ${MADE}/${file} sum)
  string(APPEND sums "${sum}  ${file}\n")
endforeach()
file(COPY ${MADE}/ DESTINATION ${DIST})
file(WRITE ${DIST}/SHA256SUMS "${sums}")
message(STATUS "dist/: ${files} and SHA256SUMS")

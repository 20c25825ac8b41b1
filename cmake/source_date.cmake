# Run by cpack once the files are staged: where SOURCE_DATE_EPOCH is set,
# every staged file, folder and link takes that date, whatever date the
# checkout and the build left on them, so that archives of the same sources
# are the same bytes.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} +
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "could not date the staged files")
  endif()
endif()

# Writes the Shift_JIS table of the tool's texts from their one readable
# source, the UTF-8 table in texts.cpp, converting each text with iconv.
# Every byte is written as an escape, so no byte of a double-byte character
# (0x5C among them) can act as a backslash to the compiler.
# Use: cmake -DSOURCE=texts.cpp -DOUTPUT=shift_jis_texts.cpp -P shift_jis_texts.cmake
file(STRINGS ${SOURCE} literals ENCODING UTF-8 REGEX "^    \".*\",$")
set(table "")
set(count 0)
foreach(literal IN LISTS literals)
  string(REGEX REPLACE "^    \"(.*)\",$" "\\1" text "${literal}")
  string(REPLACE "\\n" "\n" text "${text}")
  string(REPLACE "\\\\" "\\" text "${text}")
  file(WRITE ${OUTPUT}.utf8 "${text}")
  execute_process(COMMAND iconv -f UTF-8 -t CP932 INPUT_FILE ${OUTPUT}.utf8 OUTPUT_FILE ${OUTPUT}.sjis
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "iconv cannot convert to CP932: ${text}")
  endif()
  file(READ ${OUTPUT}.sjis bytes HEX)
  string(REGEX REPLACE "(..)" "\"\\\\x\\1\" " bytes "${bytes}")
  string(APPEND table "    ${bytes}\"\",\n")
  math(EXPR count "${count} + 1")
endforeach()
file(REMOVE ${OUTPUT}.utf8 ${OUTPUT}.sjis)
file(WRITE ${OUTPUT} "// Written by shift_jis_texts.cmake from texts.cpp: the same ${count} texts in Shift_JIS.
#include \"driver/texts.h\"

const char* const shiftJisTexts[] = {
${table}};
static_assert(sizeof shiftJisTexts / sizeof *shiftJisTexts == textCount, \"one text for each id\");
")

# Runs lupdate over the sources into a copy of the translation file and fails when any text lacks
# its translation (new or changed in the sources) or any translation has lost its source text.
# Takes LUPDATE, OPTIONS (a list), SOURCES (a file listing the sources), TS and WORK (a folder).
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY_FILE "${TS}" "${WORK}/check.ts")
execute_process(COMMAND "${LUPDATE}" ${OPTIONS} "@${SOURCES}" -ts "${WORK}/check.ts"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("${output}${errors}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lupdate failed: ${status}")
endif()
file(READ "${WORK}/check.ts" ts)
string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"(unfinished|obsolete|vanished)\""
       incomplete "${ts}")
if(incomplete)
  string(REPLACE ";" "\n" incomplete "${incomplete}")
  message(FATAL_ERROR "translations/qemra_en.ts is not complete; run the update_translations target and "
                      "translate:\n${incomplete}")
endif()

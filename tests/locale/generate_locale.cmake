# cmake -DOUTPUT=<dir>/<name> -DINPUT=<source> -DCHARMAP=<charmap> -P generate_locale.cmake
# localedef may exit non-zero over warnings yet write a usable locale, so the
# written files decide.
if(EXISTS "${OUTPUT}/LC_NUMERIC")
  return()
endif()
find_program(LOCALEDEF localedef REQUIRED)
get_filename_component(parent "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${parent}")
execute_process(
  COMMAND ${LOCALEDEF} -i ${INPUT} -f ${CHARMAP} ${OUTPUT}
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT EXISTS "${OUTPUT}/LC_NUMERIC")
  message(FATAL_ERROR "localedef -i ${INPUT} -f ${CHARMAP} ${OUTPUT} wrote no locale (exit ${result}):\n${out}${err}")
endif()

# cmake -DOUTPUT=<dir> -P generate_locales.cmake
# Compiles de_DE.UTF-8 and fr_FR.UTF-8 into OUTPUT. localedef may exit
# non-zero over warnings in its sources and still write a usable locale, so
# the files written decide.
find_program(LOCALEDEF localedef REQUIRED)
foreach(name de_DE fr_FR)
  set(dir ${OUTPUT}/${name}.UTF-8)
  if(NOT EXISTS ${dir}/LC_NUMERIC)
    file(MAKE_DIRECTORY ${OUTPUT})
    execute_process(COMMAND ${LOCALEDEF} -i ${name} -f UTF-8 ${dir}
      RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT EXISTS ${dir}/LC_NUMERIC)
      message(FATAL_ERROR "localedef wrote no ${name}.UTF-8 (exit ${rc}):\n${out}${err}")
    endif()
  endif()
endforeach()

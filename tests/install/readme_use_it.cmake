cmake_minimum_required(VERSION 3.25)
# The README's "Use it" program compiles cleanly as C++17 and as C++20.
# -D: README, CXX, INCLUDES, WORK_DIR.

file(READ ${README} readme)
string(REGEX MATCH "\n## Use it\n\n```cpp\n([^`]*)```" block "${readme}")
if(NOT block)
  message(FATAL_ERROR "the README's \"Use it\" section does not start with a C++ program")
endif()
file(WRITE ${WORK_DIR}/use_it.cpp "${CMAKE_MATCH_1}")
foreach(standard 17 20)
  execute_process(COMMAND ${CXX} -std=c++${standard} -fsyntax-only -Wall -Wextra -Werror -I${INCLUDES}
      ${WORK_DIR}/use_it.cpp RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the README's \"Use it\" program does not compile as C++${standard}:\n${out}")
  endif()
endforeach()

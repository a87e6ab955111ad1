# The README's server section shows examples/server's code as it is: each
# part between a pair of "// [name]" markers appears in the README whole.
# -D: README, SERVER.
file(READ ${README} readme)
file(READ ${SERVER} server)
foreach(part server-set server-handler)
  string(REGEX MATCH "// \\[${part}\\]\n(.*)  // \\[${part}\\]" found "${server}")
  if(NOT found)
    message(FATAL_ERROR "${SERVER} has no [${part}] markers")
  endif()
  string(FIND "${readme}" "```cpp\n${CMAKE_MATCH_1}```" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the README does not show the server's [${part}] as it is:\n${CMAKE_MATCH_1}")
  endif()
endforeach()

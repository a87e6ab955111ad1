# Replays each fuzz target's committed corpus as an ordinary test, so the
# normal and sanitizer builds both run every seed (no libFuzzer needed).
foreach(name engine catalogue)
  set(source ${PROJECT_SOURCE_DIR}/fuzz/${name}/fuzz_${name}.cpp)
  if(EXISTS ${source})
    add_executable(fuzz_${name}_replay ${source} ${PROJECT_SOURCE_DIR}/tests/support/fuzz_replay_main.cpp)
    target_link_libraries(fuzz_${name}_replay PRIVATE keznls)
    add_test(NAME fuzz_${name}_corpus_replay
      COMMAND fuzz_${name}_replay ${PROJECT_SOURCE_DIR}/fuzz/${name}/corpus)
  endif()
endforeach()

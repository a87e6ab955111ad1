cmake_minimum_required(VERSION 3.25)
# Builds a small project with keznls_extract_messages() in a clean folder:
# its -pot target makes the template, with the po folder, from the typed
# calls and the varargs ones; its -update-po target merges it into a
# translation that already exists. -D: CATALOGUES (keznlsCatalogues.cmake),
# WORK_DIR, CXX.
include(${CMAKE_CURRENT_LIST_DIR}/../install/run.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
set(project ${WORK_DIR}/tiny)
file(WRITE ${project}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(tiny VERSION 1.2 LANGUAGES CXX)
include(${CATALOGUES})
add_executable(tiny src/main.cpp)
keznls_extract_messages(tiny POT po/tiny.pot PO_FILES po/de.po SOURCES src/messages.h)
")
# Never compiled: xgettext reads it. No message has a conversion, so a
# "c-format" on one comes from the flags alone.
file(WRITE ${project}/src/main.cpp [=[
#include "messages.h"
void show(Out& out, Tf& tf, std::size_t n, const std::string& name) {
  out.tprint("tiny", "Welcome\n", name);
  out.ntprint("tiny", "One file\n", "Many files\n", n, n);
  out.ptprint("tiny", "menu", "Open\n");
  out.nptprint("tiny", "disk", "One block\n", "Many blocks\n", n, n);
  std::string a = tf.stprint("tiny", "Saved\n");
  std::string b = tf.nstprint("tiny", "One line\n", "Many lines\n", n);
  std::string c = tf.pstprint("tiny", "state", "Closed\n");
  std::string d = tf.npstprint("tiny", "queue", "One job\n", "Many jobs\n", n, n);
  out.nptprintf("tiny", "varargs", "One old call\n", "Many old calls\n", 2ul, 2);
  std::puts("Not a message\n");
}
]=])
file(WRITE ${project}/src/messages.h "inline void header(Out& out) { out.tprint(\"tiny\", \"From a header\\n\"); }\n")

run("" ${CMAKE_COMMAND} -S ${project} -B ${project}/build -DCMAKE_CXX_COMPILER=${CXX})
run("" ${CMAKE_COMMAND} --build ${project}/build --target tiny-pot)
file(READ ${project}/po/tiny.pot pot)

# Each entry, as xgettext writes it after its "#: file:line".
set(entries
  "msgid \"Welcome\\n\""
  "msgid \"One file\\n\"\nmsgid_plural \"Many files\\n\""
  "msgctxt \"menu\"\nmsgid \"Open\\n\""
  "msgctxt \"disk\"\nmsgid \"One block\\n\"\nmsgid_plural \"Many blocks\\n\""
  "msgid \"Saved\\n\""
  "msgid \"One line\\n\"\nmsgid_plural \"Many lines\\n\""
  "msgctxt \"state\"\nmsgid \"Closed\\n\""
  "msgctxt \"queue\"\nmsgid \"One job\\n\"\nmsgid_plural \"Many jobs\\n\""
  "msgctxt \"varargs\"\nmsgid \"One old call\\n\"\nmsgid_plural \"Many old calls\\n\""
  "msgid \"From a header\\n\"")
foreach(entry IN LISTS entries)
  string(FIND "${pot}" "\n#, c-format\n${entry}\nmsgstr" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "po/tiny.pot lacks the c-format entry\n${entry}\n--- it holds:\n${pot}")
  endif()
endforeach()
foreach(wrong "Not a message" "${project}")  # not a call of ours; no absolute reference
  string(FIND "${pot}" "${wrong}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "po/tiny.pot holds \"${wrong}\":\n${pot}")
  endif()
endforeach()
if(NOT pot MATCHES "\n#: src/main\\.cpp:3\n" OR NOT pot MATCHES "\"Project-Id-Version: tiny 1\\.2\\\\n\"")
  message(FATAL_ERROR "po/tiny.pot: references not relative to the target's folder, or no package version:\n${pot}")
endif()

# A German catalogue made from an older template: one message kept, one gone.
file(WRITE ${project}/po/de.po [=[
msgid ""
msgstr ""
"Content-Type: text/plain; charset=UTF-8\n"
"Plural-Forms: nplurals=2; plural=(n != 1);\n"

msgid "Welcome\n"
msgstr "Willkommen\n"

msgid "Removed long ago\n"
msgstr "Längst entfernt\n"
]=])
run("" ${CMAKE_COMMAND} --build ${project}/build --target tiny-update-po)
file(READ ${project}/po/de.po po)
foreach(entry "msgid \"Welcome\\n\"\nmsgstr \"Willkommen\\n\""
              "msgctxt \"queue\"\nmsgid \"One job\\n\"\nmsgid_plural \"Many jobs\\n\"\nmsgstr[0] \"\"\nmsgstr[1] \"\""
              "#~ msgid \"Removed long ago\\n\"\n#~ msgstr \"Längst entfernt\\n\"")
  string(FIND "${po}" "${entry}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "po/de.po after tiny-update-po lacks\n${entry}\n--- it holds:\n${po}")
  endif()
endforeach()

# The Windows release, tarvo-<version>-win32.zip: tarvo.exe, the README as README.txt, the
# documents it refers to and the report's picture, the example script and batch files. The
# texts get CR LF line ends for Notepad. README.txt leaves out the parts marked <!-- source only --> ...
# <!-- /source only -->, which speak of building and testing from the source repository,
# so that everything it refers to is in the zip.
set(release_docs console-lines.md rewriting.md journal.md)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)

file(READ ${PROJECT_SOURCE_DIR}/README.md rest)
set(readme "")
set(end_marker "<!-- /source only -->\n")
string(LENGTH "${end_marker}" end_marker_length)
while(TRUE)
  string(FIND "${rest}" "<!-- source only -->" start)
  if(start EQUAL -1)
    string(APPEND readme "${rest}")
    break()
  endif()
  string(SUBSTRING "${rest}" 0 ${start} kept)
  string(APPEND readme "${kept}")
  string(FIND "${rest}" "${end_marker}" end)
  if(end LESS start)
    message(FATAL_ERROR "README.md: <!-- source only --> without its end marker")
  endif()
  math(EXPR end "${end} + ${end_marker_length}")
  string(SUBSTRING "${rest}" ${end} -1 rest)
endwhile()
string(REPLACE "\n" "\r\n" readme "${readme}")
file(WRITE ${PROJECT_BINARY_DIR}/release/README.txt "${readme}")

# The documents README.txt refers to, kept as .md so that its references hold.
foreach(doc IN LISTS release_docs)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/${doc})
  file(READ ${PROJECT_SOURCE_DIR}/docs/${doc} text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${PROJECT_BINARY_DIR}/release/docs/${doc} "${text}")
  list(APPEND release_doc_files ${PROJECT_BINARY_DIR}/release/docs/${doc})
endforeach()

install(TARGETS tarvo RUNTIME DESTINATION .)
install(FILES ${PROJECT_BINARY_DIR}/release/README.txt DESTINATION .)
install(FILES ${release_doc_files} docs/report.png DESTINATION docs)
install(FILES examples/rt.ebs examples/nback.ebs examples/run_sessions.bat examples/run_from_csv.bat
              examples/run_battery.bat
              examples/sessions.csv
        DESTINATION examples)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME tarvo-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)

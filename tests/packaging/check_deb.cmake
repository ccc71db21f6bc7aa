# The Debian package: made twice by cpack in a private folder, the two are the same bytes; lintian
# finds no error or warning; the program in it is hardened and names no build folder; its
# version is the one --version prints, and the metainfo and man page in it say the same.
# Skips where lintian is not installed (the test set of scripts/deps.sh installs it).
find_program(LINTIAN lintian)
if(NOT LINTIAN)
  message("SKIPPED: lintian is not installed")
  return()
endif()
execute_process(COMMAND mktemp -d -t lumetrix-deb.XXXXXXXX OUTPUT_VARIABLE work OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "no private temporary folder")
endif()
macro(fail text)
  file(REMOVE_RECURSE ${work})
  message(FATAL_ERROR "${text}")
endmacro()

foreach(run a b)
  execute_process(COMMAND ${CPACK} -G DEB --config ${BUILD}/CPackConfig.cmake -B ${work}/${run}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  file(GLOB deb_${run} ${work}/${run}/*.deb)
  list(LENGTH deb_${run} count)
  if(NOT rc EQUAL 0 OR NOT count EQUAL 1)
    fail("cpack gave ${rc} and ${count} packages:\n${out}\n${err}")
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${deb_a} ${deb_b} RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  fail("two cpack runs made different packages: ${deb_a} ${deb_b}")
endif()

execute_process(COMMAND ${LINTIAN} --fail-on error,warning ${deb_a} RESULT_VARIABLE rc OUTPUT_VARIABLE tags)
if(NOT rc EQUAL 0 OR tags MATCHES "(^|\n)[EW]: ")
  fail("lintian (${rc}):\n${tags}")
endif()

execute_process(COMMAND dpkg-deb -x ${deb_a} ${work}/root RESULT_VARIABLE rc)
execute_process(COMMAND dpkg-deb -f ${deb_a} Version OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE)
set(program ${work}/root/usr/bin/lumetrix)
if(NOT rc EQUAL 0 OR NOT EXISTS ${program})
  fail("the package holds no usr/bin/lumetrix (${rc})")
endif()

# Hardening, as hardening-check reads it: bound at start (BIND_NOW), a read-only relocation table
# (GNU_RELRO), position independent (type DYN with the PIE flag), stack protector and fortified calls.
execute_process(COMMAND readelf -d -l -h -W ${program} OUTPUT_VARIABLE elf)
execute_process(COMMAND nm -D ${program} OUTPUT_VARIABLE symbols)
foreach(check "BIND_NOW;elf;\\(FLAGS\\)[^\n]*BIND_NOW|\\(FLAGS_1\\)[^\n]*NOW"
              "RELRO;elf;GNU_RELRO"
              "PIE;elf;Type:[ ]+DYN.*\\(FLAGS_1\\)[^\n]*PIE"
              "stack protector;symbols;__stack_chk_fail"
              "fortified calls;symbols;__[a-z0-9_]+_chk(@|\n)")
  list(GET check 0 what)
  list(GET check 1 text)
  list(GET check 2 pattern)
  if(SANITIZED AND what STREQUAL "fortified calls")
    continue()  # the sanitizers check those calls themselves
  endif()
  if(NOT "${${text}}" MATCHES "${pattern}")
    fail("the packaged program lacks ${what}")
  endif()
endforeach()
foreach(tree ${SOURCE} ${BUILD})
  file(STRINGS ${program} hits REGEX "${tree}")
  if(hits AND NOT SANITIZED)
    fail("the packaged program names ${tree}: ${hits}")
  endif()
endforeach()

# One version: the package's, --version's, the metainfo's and the man page's.
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE said)
file(READ ${work}/root/usr/share/metainfo/org.lumetrix.Lumetrix.metainfo.xml metainfo)
execute_process(COMMAND gzip -dc ${work}/root/usr/share/man/man1/lumetrix.1.gz OUTPUT_VARIABLE man)
execute_process(COMMAND gzip -dc ${work}/root/usr/share/doc/lumetrix/changelog.gz OUTPUT_VARIABLE changelog)
string(REPLACE "." "\\." v "${version}")
if(NOT said STREQUAL "Lumetrix ${version}\n" OR NOT metainfo MATCHES "<release version=\"${v}\""
   OR NOT man MATCHES "\"Lumetrix ${v}\"" OR NOT changelog MATCHES "^lumetrix \\(${v}\\)")
  fail("the package is ${version}; --version says ${said}; the metainfo, the man page or the changelog "
       "says another")
endif()
file(REMOVE_RECURSE ${work})

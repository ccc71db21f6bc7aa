# Installs the build into an empty prefix and runs the program from there.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} --strip RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed with ${rc}")
endif()
set(program ${PREFIX}/bin/lumetrix)
set(data ${PREFIX}/share/lumetrix)
foreach(file bin/lumetrix share/lumetrix/help/index.html share/lumetrix/palettes/Fire.pal
             share/lumetrix/samples/beads.tif share/man/man1/lumetrix.1.gz
             share/applications/org.lumetrix.Lumetrix.desktop share/metainfo/org.lumetrix.Lumetrix.metainfo.xml
             share/icons/hicolor/scalable/apps/org.lumetrix.Lumetrix.svg)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "${file} is not installed")
  endif()
endforeach()
file(GLOB scripts RELATIVE ${SOURCE}/samples/scripts ${SOURCE}/samples/scripts/*.scp)
foreach(script ${scripts})
  if(NOT EXISTS ${data}/scripts/${script})
    message(FATAL_ERROR "the example script ${script} is not installed")
  endif()
endforeach()
# A PNG's IHDR holds its width and height as 32-bit big-endian numbers at byte 16.
foreach(icon "48;00000030" "128;00000080" "256;00000100")
  list(GET icon 0 size)
  list(GET icon 1 side)
  file(READ ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/org.lumetrix.Lumetrix.png ihdr OFFSET 16 LIMIT 8 HEX)
  if(NOT ihdr STREQUAL "${side}${side}")
    message(FATAL_ERROR "the ${size} px icon has the header ${ihdr}")
  endif()
endforeach()
# No path of the build or source tree is compiled in (sanitizers name source files themselves).
foreach(tree ${SOURCE} ${BUILD})
  if(SANITIZED)
    break()
  endif()
  file(STRINGS ${program} hits REGEX "${tree}")
  if(hits)
    message(FATAL_ERROR "the program names ${tree}: ${hits}")
  endif()
endforeach()

execute_process(COMMAND ${program} --info ${data}/samples/beads.tif RESULT_VARIABLE rc OUTPUT_VARIABLE info)
if(NOT rc EQUAL 0 OR NOT info MATCHES "^256x256x64 grey [0-9]+\\.[0-9][0-9]\nchannels 1 \\(8-bit\\)\ntimepoints 1\nvoxel unknown\n$")
  message(FATAL_ERROR "--info gave ${rc}: ${info}")
endif()
set(work ${PREFIX}/work)
file(MAKE_DIRECTORY ${work})
execute_process(COMMAND ${program} --render ${data}/samples/beads.tif ${work}/frame.bmp --size 64x48
                RESULT_VARIABLE rc)
file(SIZE ${work}/frame.bmp size)
if(NOT rc EQUAL 0 OR NOT size EQUAL 9274)  # 58-byte header, 48 rows of 64 pixels
  message(FATAL_ERROR "--render gave ${rc} and ${size} bytes")
endif()
# The installed palettes are found: a bundled table changes the picture, redrawing alone does not.
file(WRITE ${work}/palette.scp "Sub Main\n  DrawImage\n  SaveBMP \"a.bmp\"\n  DrawImage\n  SaveBMP \"b.bmp\"\n"
           "  SetPalette \"Fire\"\n  DrawImage\n  SaveBMP \"fire.bmp\"\nEnd Sub\n")
execute_process(COMMAND ${program} --run ${work}/palette.scp ${data}/samples/beads.tif
                WORKING_DIRECTORY ${work} RESULT_VARIABLE rc)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${work}/a.bmp ${work}/b.bmp RESULT_VARIABLE same)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${work}/b.bmp ${work}/fire.bmp RESULT_VARIABLE fire)
if(NOT rc EQUAL 0 OR NOT same EQUAL 0 OR fire EQUAL 0)
  message(FATAL_ERROR "the palette script gave ${rc}; redraw differs: ${same}; Fire left it unchanged: ${fire}")
endif()

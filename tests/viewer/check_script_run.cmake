# `lumetrix --run frames.scp VOLUME` with the folder typed on standard input: the script's
# InputBox asks on standard error and reads it, MsgBox prints to standard output, and 36 frames
# of one size are written.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
file(WRITE ${OUT}/answer.txt "${OUT}\n")
execute_process(COMMAND ${PROGRAM} --run ${SCRIPT} ${VOLUME}
  INPUT_FILE ${OUT}/answer.txt OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "--run failed (${rc}): ${err}")
endif()
if(NOT out STREQUAL "Saved 36 pictures in ${OUT}/\n" OR NOT err MATCHES "Folder for the pictures:")
  message(FATAL_ERROR "MsgBox text not alone on standard output ('${out}') or prompt not on standard error")
endif()
file(GLOB frames ${OUT}/frame_*.bmp)
list(LENGTH frames count)
if(NOT count EQUAL 36)
  message(FATAL_ERROR "expected 36 frames, found ${count}")
endif()
file(SIZE ${OUT}/frame_000.bmp first)
file(SIZE ${OUT}/frame_035.bmp last)
file(READ ${OUT}/frame_000.bmp magic LIMIT 2 HEX)  # as text, CMake may add a line end
if(NOT magic STREQUAL "424d" OR first LESS 1000 OR NOT first EQUAL last)
  message(FATAL_ERROR "frames are not pictures of one size (${first}, ${last} bytes)")
endif()
file(READ ${OUT}/frame_000.bmp a HEX)
file(READ ${OUT}/frame_009.bmp b HEX)
if(a STREQUAL b)
  message(FATAL_ERROR "the volume did not turn between frames 0 and 9")
endif()

# A script with an error: exit 1 and the error line on standard error.
file(WRITE ${OUT}/broken.scp "Sub Main\n  SetXRot 1\n  SetYRot \"north\"\nEnd Sub\n")
execute_process(COMMAND ${PROGRAM} --run ${OUT}/broken.scp ${VOLUME}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 1 OR NOT err MATCHES "Error: Type mismatch at line: 3 column: [0-9]+  \"SetYRot \"north\"\"")
  message(FATAL_ERROR "broken script: exit ${rc}, stderr '${err}'")
endif()

# MsgBox breaks its text at CR and at CR LF alike.
file(WRITE ${OUT}/lines.scp "Sub Main\n  MsgBox \"a\" & vbCr & \"b\" & vbCrLf & \"c\"\nEnd Sub\n")
execute_process(COMMAND ${PROGRAM} --run ${OUT}/lines.scp ${VOLUME}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "a\nb\nc\n")
  message(FATAL_ERROR "line breaks of MsgBox: exit ${rc}, stdout '${out}'")
endif()

# The batch example with nothing on standard input: InputBox raises 62 instead of answering a
# default name, the script turns it into its own message, and no movie is written.
file(WRITE ${OUT}/empty.txt "")
execute_process(COMMAND ${PROGRAM} --run ${BATCH_SCRIPT} ${VOLUME} INPUT_FILE ${OUT}/empty.txt WORKING_DIRECTORY ${OUT}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
file(GLOB movies ${OUT}/*.avi)
if(NOT rc EQUAL 1 OR NOT err MATCHES "Error: No movie file named on standard input" OR movies)
  message(FATAL_ERROR "batch_movie.scp without input: exit ${rc}, stderr '${err}', movies '${movies}'")
endif()

# A data folder that is not there stops the command at start, naming the folder; nothing runs.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LUMETRIX_DATA_DIR=${OUT}/no-data-here
  ${PROGRAM} --run ${OUT}/lines.scp ${VOLUME}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 1 OR NOT out STREQUAL "" OR NOT err MATCHES "data folder ${OUT}/no-data-here \\(named by LUMETRIX_DATA_DIR\\) does not exist")
  message(FATAL_ERROR "missing data folder: exit ${rc}, stdout '${out}', stderr '${err}'")
endif()

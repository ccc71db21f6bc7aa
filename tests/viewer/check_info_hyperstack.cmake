# --info of a two-channel, three-time-point ImageJ hyperstack written by tifffile: channel 1 is 10
# and channel 2 is 53 at time point 1 (other time points differ), so the mean is 31.50.
execute_process(COMMAND /usr/bin/python3 -c "
import numpy as np, tifffile
d = np.zeros((3, 10, 2, 48, 64), 'u1'); d[:, :, 0] = 10; d[:, :, 1] = 53; d[1:] += 100
tifffile.imwrite('${OUT}', d, imagej=True, resolution=(2.0, 2.0), metadata={'axes': 'TZCYX', 'spacing': 2.0, 'unit': 'micron'})
" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tifffile could not write ${OUT}")
endif()
execute_process(COMMAND ${PROGRAM} --info ${OUT} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
set(expected "64x48x10 2ch 31.50\nchannels 2 (8-bit)\ntimepoints 3\nvoxel 0.5 x 0.5 x 2 µm\n")
if(NOT rc EQUAL 0 OR NOT out STREQUAL expected)
  message(FATAL_ERROR "--info printed (${rc}):\n${out}expected:\n${expected}")
endif()

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
# The type line names what the file stores: float and signed samples as such.
foreach(type "f4;32-bit float" "i2;16-bit signed")
  list(GET type 0 dtype)
  list(GET type 1 name)
  execute_process(COMMAND /usr/bin/python3 -c "import numpy as np, tifffile; tifffile.imwrite('${OUT}.${dtype}.tif', (np.arange(144).reshape(2, 8, 9) - 40).astype('${dtype}'))")
  execute_process(COMMAND ${PROGRAM} --info ${OUT}.${dtype}.tif OUTPUT_VARIABLE out)
  if(NOT out MATCHES "^9x8x2 grey [0-9.]+\nchannels 1 \\(${name}\\)\n")
    message(FATAL_ERROR "--info of ${dtype} printed:\n${out}expected channels 1 (${name})")
  endif()
endforeach()

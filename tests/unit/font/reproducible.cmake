# Derives the console font once more and compares it, byte for byte, with the one the build made.
# Usage: cmake -DPYTHON=... -DGENERATOR=make_font.py -DSOURCE=... -DBUILT=... -DREBUILT=... -P
execute_process(COMMAND ${PYTHON} ${GENERATOR} ${SOURCE} ${REBUILT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "deriving the font again failed: ${failed}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${BUILT} ${REBUILT}
                RESULT_VARIABLE differs)
file(REMOVE ${REBUILT})
if(differs)
  message(FATAL_ERROR "a second derivation gave other bytes than ${BUILT}")
endif()

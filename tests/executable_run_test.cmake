# Runs the built fiverow executable as a process, as the game's referee would,
# in a scratch directory: once on a valid position and once without a
# position file. The executable may be linked statically, so this also shows
# that its failure path (an exception up to main) works in that build.
#
# usage: cmake -DFIVEROW=<executable> -DPOSITION_DIR=<dir with the .dat files>
#              -DWORK_DIR=<scratch dir> [-DEMULATOR=<runner>] -P executable_run_test.cmake
# EMULATOR runs the executable when it is built for another platform.

get_filename_component(module "${FIVEROW}" NAME)
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

# A valid position: status 0, nothing on the console, a move in Tah.dat.
file(COPY "${POSITION_DIR}/Plocha.dat" "${POSITION_DIR}/Tah.dat" DESTINATION "${WORK_DIR}")
execute_process(COMMAND ${EMULATOR} "${FIVEROW}" WORKING_DIRECTORY "${WORK_DIR}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "a valid run ended with status ${status}")
endif()
if(NOT out STREQUAL "")
  message(FATAL_ERROR "a valid run wrote to standard output: ${out}")
endif()
if(NOT EMULATOR AND NOT err STREQUAL "")  # a runner may talk on stderr
  message(FATAL_ERROR "a valid run wrote to standard error: ${err}")
endif()
file(READ "${WORK_DIR}/Tah.dat" move)
if(NOT move MATCHES "^[0-9][0-9]?,[0-9][0-9]?$")
  message(FATAL_ERROR "Tah.dat holds no move: '${move}'")
endif()

# No position file: the failure report on standard output and status 1.
file(REMOVE "${WORK_DIR}/Plocha.dat")
# The output goes through a file, read as hex as well, so that its exact bytes
# are checked (CMake turns CR LF into LF when it reads text).
file(WRITE "${WORK_DIR}/Tah.dat" "o\r\n")
execute_process(COMMAND ${EMULATOR} "${FIVEROW}" WORKING_DIRECTORY "${WORK_DIR}" RESULT_VARIABLE status
                OUTPUT_FILE "${WORK_DIR}/stdout" ERROR_FILE "${WORK_DIR}/stderr")
file(READ "${WORK_DIR}/stdout" out)
file(READ "${WORK_DIR}/stdout" out_hex HEX)
file(READ "${WORK_DIR}/stderr" err)
if(NOT status EQUAL 1)
  message(FATAL_ERROR "a failed run ended with status ${status}")
endif()
if(NOT EMULATOR AND NOT err STREQUAL "")  # a runner may talk on stderr
  message(FATAL_ERROR "a failed run wrote to standard error: ${err}")
endif()
set(hex "[0-9A-F]")
set(location "${hex}${hex}${hex}${hex}${hex}${hex}${hex}${hex}")
string(REPLACE "." "\\." module_pattern "${module}")
set(report "^Exception EInOutError in module ${module_pattern} at ${location}\\.\nFile not found\\.\n$")
if(NOT out MATCHES "${report}")
  message(FATAL_ERROR "unexpected failure report: '${out}'")
endif()
# ".\nFile not found.\r\n": the first line ends in LF, the second in CR LF.
if(NOT out_hex MATCHES "2e0a46696c65206e6f7420666f756e642e0d0a$")
  message(FATAL_ERROR "unexpected line ends in the failure report: ${out_hex}")
endif()
file(READ "${WORK_DIR}/Tah.dat" turn_hex HEX)
if(NOT turn_hex STREQUAL "6f0d0a")  # "o" CR LF
  message(FATAL_ERROR "a failed run changed Tah.dat")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")

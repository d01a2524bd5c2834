# SPDX-FileCopyrightText: 2026 The Crumlet developers
# SPDX-License-Identifier: Zlib
# Creates the player's profile, name and score files in the run folder's Maps/ when they are
# missing. Existing files are never touched: they hold the player's name and high scores.
#   cmake -DMAPS_DIR=<folder> -P initial_saves.cmake
if(NOT MAPS_DIR)
  message(FATAL_ERROR "MAPS_DIR not set")
endif()
file(MAKE_DIRECTORY "${MAPS_DIR}")

function(zero_file name size)
  set(path "${MAPS_DIR}/${name}")
  if(EXISTS "${path}")
    return()
  endif()
  # CMake cannot write zero bytes from a string: take them from /dev/zero, into a side file that is
  # renamed once complete, so an interrupted build never leaves a short file behind.
  execute_process(COMMAND head -c ${size} /dev/zero OUTPUT_FILE "${path}.new" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot write ${path}")
  endif()
  file(SIZE "${path}.new" written)
  if(NOT written EQUAL size)
    message(FATAL_ERROR "${path}: wrote ${written} bytes, expected ${size}")
  endif()
  file(RENAME "${path}.new" "${path}")
  message(STATUS "Created ${path} (${size} bytes)")
endfunction()

zero_file(Player.bin 8)
zero_file(Name.bin 6400)
zero_file(Data.bin 3200)

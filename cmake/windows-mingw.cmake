# What both Windows cross builds share; the including file names the triple.
set(CMAKE_C_COMPILER ${MRV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MRV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MRV_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MRV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests and tools run under Wine, where it is installed (building the programs
# and their packages needs no Wine).
find_program(MRV_WINE wine)
if(MRV_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MRV_WINE})
endif()

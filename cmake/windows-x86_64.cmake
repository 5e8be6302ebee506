# Cross build for 64-bit Windows with MinGW-w64 (posix threads), statically
# linked so that nothing but the system's DLLs is needed beside the program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MRV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/windows-mingw.cmake)

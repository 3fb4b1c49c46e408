# The same sources for 64-bit Windows: the build the tests run under Wine when the
# machine cannot execute 32-bit code (see README, "Platform note").
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BEX_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

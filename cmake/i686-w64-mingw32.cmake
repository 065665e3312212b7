# The product: a static 32-bit tarvo.exe.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(tarvo_mingw_triple i686-w64-mingw32)
set(tarvo_wine_bits "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

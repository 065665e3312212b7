# The same sources as a 64-bit Windows program, for testing under Wine on machines whose
# kernel cannot run 32-bit programs (and so cannot run 32-bit Wine).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(tarvo_mingw_triple x86_64-w64-mingw32)
set(tarvo_wine_bits 64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

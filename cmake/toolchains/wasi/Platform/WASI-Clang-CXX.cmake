# A module is linked whole, never loaded beside others: no position-independent
# code, which on wasm32 reaches every global through __memory_base.
set(CMAKE_CXX_COMPILE_OPTIONS_PIC "")
set(CMAKE_CXX_COMPILE_OPTIONS_PIE "")

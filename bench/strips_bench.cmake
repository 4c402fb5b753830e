orvix_add_bench(strips_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/strips_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gui_bench_main.cpp LIBS orvix_ui)

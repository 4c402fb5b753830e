orvix_add_bench(widgets_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/widgets_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gui_bench_main.cpp LIBS orvix_ui)

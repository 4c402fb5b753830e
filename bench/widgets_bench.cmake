orvix_add_bench(widgets_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/widgets_bench.cpp LIBS orvix_ui)

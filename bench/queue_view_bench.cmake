orvix_add_bench(queue_view_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/queue_view_bench.cpp LIBS orvix_ui)

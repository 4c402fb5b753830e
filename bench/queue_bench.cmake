orvix_add_bench(queue_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/queue_bench.cpp LIBS orvix_queue)

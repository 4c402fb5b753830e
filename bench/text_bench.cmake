orvix_add_bench(text_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/text_bench.cpp LIBS orvix_foundation)

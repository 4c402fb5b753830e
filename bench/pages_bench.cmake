orvix_add_bench(pages_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/pages_bench.cpp LIBS orvix_pages)

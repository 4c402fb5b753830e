orvix_add_bench(http_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/http_bench.cpp LIBS orvix_engine)

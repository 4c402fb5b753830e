orvix_add_bench(library_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/library_bench.cpp LIBS orvix_library)

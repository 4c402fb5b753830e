# The simulated site for bench/e2e_bench.sh, with the request plan of the curl reference.
orvix_add_bench(e2e_bench_site SOURCES ${CMAKE_CURRENT_LIST_DIR}/e2e_bench_site.cpp LIBS photosite_lib)

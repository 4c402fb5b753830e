orvix_add_bench(webpanel_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/webpanel_bench.cpp LIBS orvix_ui photosite_lib)

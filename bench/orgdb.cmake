# The organisation database: generating a large server and reading it back.
add_executable(orgdb_bench ${CMAKE_CURRENT_LIST_DIR}/orgdb_bench.cpp)
target_link_libraries(orgdb_bench PRIVATE tabrixorg orgdb)

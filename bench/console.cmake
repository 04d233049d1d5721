# boxstatcon against a plain sqlite3 export of the same columns (included by
# bench/CMakeLists.txt).
add_executable(console_bench ${CMAKE_CURRENT_LIST_DIR}/console_bench.cpp)
target_compile_definitions(console_bench PRIVATE
  TABRIX_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
  TABRIX_MAPI_LIBRARY="$<TARGET_FILE:mapi32>")
add_dependencies(console_bench boxstatcon tabrix-org mapi32)

# Every key of a large BOXSTATCON.INI-style file through the profile calls.
add_executable(ini_bench ${CMAKE_CURRENT_LIST_DIR}/ini_bench.cpp)
target_link_libraries(ini_bench PRIVATE platform)

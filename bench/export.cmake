# The export dialog on 100,000 records into both office servers (included by
# bench/CMakeLists.txt when the GUI is built).
add_executable(export_bench ${CMAKE_CURRENT_LIST_DIR}/export_bench.cpp)
target_link_libraries(export_bench PRIVATE gui_export orgsetup)
target_compile_definitions(export_bench PRIVATE
  TABRIX_SPREADSHEET_SERVER="$<TARGET_FILE:tabrixxl>"
  TABRIX_DOCUMENT_SERVER="$<TARGET_FILE:tabrixwd>")
add_dependencies(export_bench tabrixxl tabrixwd)

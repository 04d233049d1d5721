# The mailbox exports into both office servers against Python writing the
# same files (included by bench/CMakeLists.txt when the GUI is built).
add_executable(export_bench ${CMAKE_CURRENT_LIST_DIR}/export_bench.cpp)
# automation_sheet gives the number formats the spreadsheet server writes,
# so that the openpyxl baseline writes the same ones.
target_link_libraries(export_bench PRIVATE gui_export orgsetup automation_sheet)
target_compile_definitions(export_bench PRIVATE
  TABRIX_SPREADSHEET_SERVER="$<TARGET_FILE:tabrixxl>"
  TABRIX_DOCUMENT_SERVER="$<TARGET_FILE:tabrixwd>"
  # BenchSupport.h names it; the exports never load the MAPI library.
  TABRIX_MAPI_LIBRARY="$<TARGET_FILE:mapi32>")
add_dependencies(export_bench tabrixxl tabrixwd)

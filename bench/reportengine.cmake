# The report engine against LibreOffice converting the same rows to PDF,
# and large saves to PDF and XLSX (included by bench/CMakeLists.txt when the
# GUI is built).
add_executable(reportengine_bench ${CMAKE_CURRENT_LIST_DIR}/reportengine_bench.cpp)
target_link_libraries(reportengine_bench PRIVATE reportengine)

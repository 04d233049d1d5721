# The main window's load, sorts and memory on a 100,000-mailbox server,
# against the console's server pass in the same run (included by
# bench/CMakeLists.txt when the GUI is built).
add_executable(gui_bench ${CMAKE_CURRENT_LIST_DIR}/gui_bench.cpp)
target_include_directories(gui_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(gui_bench PRIVATE boxstat_lib tabrixcore orgdb orgsetup)
target_compile_definitions(gui_bench PRIVATE TABRIX_MAPI_LIBRARY="$<TARGET_FILE:mapi32>")
add_dependencies(gui_bench mapi32)

# The details window's contents load, sorts and walks on a generated
# organisation, against the core's walks alone in the same run.
add_executable(details_bench ${CMAKE_CURRENT_LIST_DIR}/details_bench.cpp)
target_include_directories(details_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(details_bench PRIVATE boxstat_lib tabrixcore tabrixorg orgdb orgsetup)
target_compile_definitions(details_bench PRIVATE TABRIX_MAPI_LIBRARY="$<TARGET_FILE:mapi32>")
add_dependencies(details_bench mapi32)

# The MAPI stand-in: reading a 100,000-row mailbox table through QueryRows
# against sqlite3 selecting the same columns (included by bench/CMakeLists.txt).
add_executable(mapisim_mailbox_table ${CMAKE_CURRENT_LIST_DIR}/mapisim_mailbox_table.cpp)
target_link_libraries(mapisim_mailbox_table PRIVATE orgsetup orgdb platform mapidefs mapisim_api
                                                    PkgConfig::SQLITE3)
target_compile_definitions(mapisim_mailbox_table PRIVATE
  TABRIX_MAPI_LIBRARY="$<TARGET_FILE:mapi32>"
  TABRIX_ORG_TOOL="$<TARGET_FILE:tabrix-org>")
add_dependencies(mapisim_mailbox_table mapi32 tabrix-org)

# The Dovecot provider against doveadm on a private Dovecot (included by
# bench/CMakeLists.txt).
add_executable(dovecot_bench ${CMAKE_CURRENT_LIST_DIR}/dovecot_bench.cpp)
target_link_libraries(dovecot_bench PRIVATE tabrixcore mapidove_names)
target_compile_definitions(dovecot_bench PRIVATE
  TABRIX_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
  TABRIX_DOVECOT_SCRIPT="${PROJECT_SOURCE_DIR}/scripts/dovecot-server.sh")
add_dependencies(dovecot_bench boxstatcon tabrix-org mapi32_dove)

# The /proc process table, walked or kept from the kernel's process events; also linked on its own
# by the tests and the benchmark.
add_library(qz_process_table OBJECT ${CMAKE_CURRENT_LIST_DIR}/ProcProcessTable.cpp
                                    ${CMAKE_CURRENT_LIST_DIR}/ProcEventTable.cpp)
target_link_libraries(qz_process_table PUBLIC quenzel_platform PRIVATE qz_warnings)
target_sources(quenzel_backend PRIVATE $<TARGET_OBJECTS:qz_process_table>)

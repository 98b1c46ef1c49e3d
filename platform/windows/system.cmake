target_sources(quenzel_backend PRIVATE ${CMAKE_CURRENT_LIST_DIR}/WinSystem.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/WinInstanceGuard.cpp)
target_link_libraries(quenzel_backend PRIVATE advapi32 shell32)

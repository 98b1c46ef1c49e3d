target_sources(quenzel_backend PRIVATE ${CMAKE_CURRENT_LIST_DIR}/LinuxSystem.cpp ${CMAKE_CURRENT_LIST_DIR}/LinuxInstanceGuard.cpp)

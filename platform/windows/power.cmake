# Power actions through the shutdown privilege, the exit call and the power-management library.
add_library(qz_backend_power OBJECT ${CMAKE_CURRENT_LIST_DIR}/WinPower.cpp)
target_link_libraries(qz_backend_power PUBLIC quenzel_platform powrprof advapi32 user32 PRIVATE qz_warnings)
target_link_libraries(quenzel_backend PRIVATE qz_backend_power)

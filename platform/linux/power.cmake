# Power actions through systemd-logind on the system bus.
find_package(PkgConfig REQUIRED)
pkg_check_modules(QZ_LIBSYSTEMD REQUIRED IMPORTED_TARGET GLOBAL libsystemd)
add_library(qz_backend_power OBJECT ${CMAKE_CURRENT_LIST_DIR}/LogindBus.cpp ${CMAKE_CURRENT_LIST_DIR}/LogindPower.cpp)
target_link_libraries(qz_backend_power PUBLIC quenzel_platform PkgConfig::QZ_LIBSYSTEMD PRIVATE qz_warnings)
target_link_libraries(quenzel_backend PRIVATE qz_backend_power)

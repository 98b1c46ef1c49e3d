# HMAC, random bytes and secret files from libsodium; a library of its own, which the link needs.
find_package(PkgConfig REQUIRED)
pkg_check_modules(QZ_SODIUM REQUIRED IMPORTED_TARGET GLOBAL libsodium)
add_library(qz_crypto STATIC ${CMAKE_CURRENT_LIST_DIR}/SodiumCrypto.cpp)
target_link_libraries(qz_crypto PUBLIC quenzel_platform PRIVATE PkgConfig::QZ_SODIUM qz_warnings)

# HMAC, random bytes and secret files from BCrypt and the file's ACL; a library of its own, which the
# link needs.
add_library(qz_crypto STATIC ${CMAKE_CURRENT_LIST_DIR}/BcryptCrypto.cpp)
target_link_libraries(qz_crypto PUBLIC quenzel_platform bcrypt advapi32 PRIVATE qz_warnings)

# The UDP link socket and the name resolver, also linked on their own by the tests.
add_library(qz_link_socket OBJECT ${CMAKE_CURRENT_LIST_DIR}/WinsockUdpSocket.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/../ThreadedResolver.cpp)
target_link_libraries(qz_link_socket PUBLIC quenzel_platform ws2_32 PRIVATE qz_warnings)
target_sources(quenzel_backend PRIVATE $<TARGET_OBJECTS:qz_link_socket>)
target_link_libraries(quenzel_backend PUBLIC ws2_32)

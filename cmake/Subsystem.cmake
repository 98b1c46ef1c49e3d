# qz_subsystem(name sources...): one subsystem of the program as an object library qz_<name>.
# The top CMakeLists.txt gathers them into quenzel_core; a test may link just the subsystems it needs.
function(qz_subsystem name)
  add_library(qz_${name} OBJECT ${ARGN})
  target_include_directories(qz_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(qz_${name} PUBLIC quenzel_platform PRIVATE qz_warnings)
endfunction()

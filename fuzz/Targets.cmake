# The fuzz targets: entry source and the subsystems each one drives. Shared by the fuzzing build
# (fuzz/CMakeLists.txt) and the corpus replay of the ordinary build (tests/fuzz).
set(QZ_FUZZ_TARGETS config link)
set(QZ_FUZZ_config_SOURCE ConfigFuzz.cpp)
set(QZ_FUZZ_config_LIBS quenzel_core)
set(QZ_FUZZ_link_SOURCE LinkFuzz.cpp)
set(QZ_FUZZ_link_LIBS qz_link)

# The fuzz targets: entry source and the subsystems each one drives. Shared by the fuzzing build
# (fuzz/CMakeLists.txt) and the corpus replay of the ordinary build (tests/fuzz).
set(QZ_FUZZ_TARGETS config link validation)
set(QZ_FUZZ_config_SOURCE ConfigFuzz.cpp)
set(QZ_FUZZ_config_LIBS quenzel_core)
set(QZ_FUZZ_link_SOURCE LinkFuzz.cpp)
set(QZ_FUZZ_link_LIBS qz_link qz_config qz_logging qz_screens)
set(QZ_FUZZ_validation_SOURCE ValidationFuzz.cpp)
set(QZ_FUZZ_validation_LIBS qz_config qz_screens)

# Load benchmark: readPropertyList against Python's plistlib on generated libraries of 50,000 and 200,000
# tracks. Run it from a Release build: `cmake --build <dir> --target run_bench_load`, or bench/run_load_bench.sh.
add_executable(bench_load bench_load.cpp)
target_link_libraries(bench_load PRIVATE setlistry_core)
target_compile_definitions(bench_load PRIVATE
    SETLISTRY_BENCH_GENERATOR="${CMAKE_CURRENT_SOURCE_DIR}/generate_library.py"
    SETLISTRY_BENCH_WORKDIR="${CMAKE_CURRENT_BINARY_DIR}")
add_custom_target(run_bench_load
    COMMAND bench_load
    DEPENDS bench_load
    USES_TERMINAL
    COMMENT "Load benchmark (generated libraries go to ${CMAKE_CURRENT_BINARY_DIR})")

# bench_export: the text exports of a generated library's master playlist against loading it, and the
# duplicate removal against the pairwise loop.
add_executable(bench_export ${CMAKE_CURRENT_LIST_DIR}/bench_export.cpp)
target_link_libraries(bench_export PRIVATE setlistry_core)
target_compile_definitions(bench_export PRIVATE
    SETLISTRY_LIBRARY_GENERATOR="${CMAKE_CURRENT_LIST_DIR}/generate_library.py")

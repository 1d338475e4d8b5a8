# bench_library: building and sorting a generated library's master playlist against the straightforward form.
add_executable(bench_library ${CMAKE_CURRENT_LIST_DIR}/bench_library.cpp)
target_link_libraries(bench_library PRIVATE setlistry_core)
target_compile_definitions(bench_library PRIVATE
    SETLISTRY_LIBRARY_GENERATOR="${CMAKE_CURRENT_LIST_DIR}/generate_library.py")

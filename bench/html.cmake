# bench_html: the song-based and album-based HTML page sets of a generated library's master playlist against
# loading it.
add_executable(bench_html ${CMAKE_CURRENT_LIST_DIR}/bench_html.cpp)
target_link_libraries(bench_html PRIVATE setlistry_core)
target_compile_definitions(bench_html PRIVATE
    SETLISTRY_LIBRARY_GENERATOR="${CMAKE_CURRENT_LIST_DIR}/generate_library.py")

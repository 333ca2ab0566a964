# A plain program: the rebuild of one clip timed in process, so the figure
# is the rebuild's and not the start of the media helper.
add_executable(bench_repair bench_repair.cpp)
target_include_directories(bench_repair PRIVATE ${PROJECT_SOURCE_DIR}/bench)
target_link_libraries(bench_repair PRIVATE dashcard_core_media Qt6::Core)

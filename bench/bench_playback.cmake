# A plain program (not Google Benchmark): it plays real clips in real time.
add_executable(bench_playback bench_playback.cpp)
target_include_directories(bench_playback PRIVATE ${PROJECT_SOURCE_DIR}/bench)
target_link_libraries(bench_playback PRIVATE dashcard_ui_playback dashcard_ui_graph dashcard_core_playback Qt6::Widgets)

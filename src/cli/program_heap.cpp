// The allocator settings of the light dashcard-cli (not of the media helper,
// which shares its other sources). jemalloc reads `malloc_conf` when it starts.
//
// Fresh heap memory costs a page fault per 4 KiB; in huge pages, one per
// 2 MiB. Against glibc's malloc on the 2-core test machine (release build):
// `telemetry` of a 40 MB file 0.52 -> 0.15 s, `export-kml` of 1000 clips
// 0.176 -> 0.124 s, `scan` of 10 000 recordings 0.150 -> 0.122 s; jemalloc
// without huge pages gains nothing measurable. A command on a small file
// then peaks at 18 MB instead of 12. The players keep glibc's malloc: with
// jemalloc a clip hand-over took 28-112 ms instead of 16-19.
extern "C" {
__attribute__((visibility("default"))) const char* malloc_conf = "thp:always";
}

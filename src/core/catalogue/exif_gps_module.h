#pragma once

// The entry point of the EXIF module (libdashcard_exif.so), opened at run
// time by PictureInfo.

#define DASHCARD_EXIF_MODULE_NAME "libdashcard_exif.so"
#define DASHCARD_EXIF_GPS_SYMBOL "dashcard_exif_gps_position"

extern "C" {
// 1 and the position in degrees (south and west negative) when the picture
// at `path` carries a readable GPS position in its EXIF; 0 otherwise.
using DashcardExifGpsPosition = int (*)(const char* path, double* latitude, double* longitude);
int dashcard_exif_gps_position(const char* path, double* latitude, double* longitude);
}

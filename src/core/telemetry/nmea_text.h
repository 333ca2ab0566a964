#pragma once

#include <cstdint>
#include <string_view>

// Reading the fields of telemetry sentences straight from their UTF-8 bytes.
namespace dashcard::nmea {

// The whole field as a decimal floating-point literal (optional sign, digits,
// optional fraction, optional exponent) that is finite; false otherwise.
bool readNumber(std::string_view field, double* value);
// The whole field as a decimal integer with optional sign that fits an int.
bool readInteger(std::string_view field, int* value);
// Strips leading and trailing spaces and tabs (all Unicode space separators).
std::string_view trimmed(std::string_view field);
// True when `text` is well-formed UTF-8.
bool isValidUtf8(std::string_view text);
// Days from 1970-01-01 to the given proleptic Gregorian date.
std::int64_t daysFromCivil(int year, unsigned month, unsigned day);

}  // namespace dashcard::nmea

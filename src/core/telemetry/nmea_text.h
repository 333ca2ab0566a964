#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Reading the fields of telemetry sentences straight from their UTF-8 bytes.
namespace dashcard::nmea {

// The whole field as a decimal floating-point literal (optional sign, digits,
// optional fraction, optional exponent) that is finite; false otherwise.
bool readNumber(std::string_view field, double* value);
// A plain decimal at the start of `bytes` ("4807.038", "-0.12", "7": an
// optional minus, digits, and a point with digits) of at most 15 digits, the
// way nearly every telemetry number is spelled. Its digits as an integer and
// the power of ten are then exact doubles, and IEEE division rounds their
// quotient exactly as a full conversion would. Returns the bytes it took, or
// 0 when `bytes` do not start with one. (Without it a parse takes a quarter
// longer.)
inline std::size_t readPlainDecimal(std::string_view bytes, double* value) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const auto digit = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0' < 10u; };
  const char* const begin = bytes.data();
  const char* const end = begin + bytes.size();
  const char* p = begin;
  const bool negative = p != end && *p == '-';
  p += negative ? 1 : 0;
  std::uint64_t digits = 0;
  const char* const whole = p;
  for (; p != end && digit(*p); ++p) {
    digits = digits * 10 + static_cast<unsigned>(*p - '0');
  }
  const std::ptrdiff_t wholeCount = p - whole;
  if (wholeCount == 0) {
    return 0;
  }
  std::ptrdiff_t fractionCount = 0;
  if (end - p >= 2 && *p == '.' && digit(p[1])) {
    const char* const fraction = ++p;
    for (; p != end && digit(*p); ++p) {
      digits = digits * 10 + static_cast<unsigned>(*p - '0');
    }
    fractionCount = p - fraction;
  }
  if (wholeCount + fractionCount > 15) {
    return 0;
  }
  const double magnitude = static_cast<double>(digits) / kPowersOfTen[fractionCount];
  *value = negative ? -magnitude : magnitude;
  return static_cast<std::size_t>(p - begin);
}
// The whole field as a decimal integer with optional sign that fits an int.
bool readInteger(std::string_view field, int* value);
// Strips leading and trailing spaces and tabs (all Unicode space separators).
std::string_view trimmed(std::string_view field);
// True when `text` is well-formed UTF-8.
bool isValidUtf8(std::string_view text);
// Days from 1970-01-01 to the given proleptic Gregorian date.
std::int64_t daysFromCivil(int year, unsigned month, unsigned day);

}  // namespace dashcard::nmea

#include "core/telemetry/nmea_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace dashcard::nmea {
namespace {

// Length of a Unicode space separator (or tab) encoded at `p`, else 0.
std::size_t spaceLength(const unsigned char* p, std::size_t available) {
  if (available == 0) {
    return 0;
  }
  if (p[0] == ' ' || p[0] == '\t') {
    return 1;
  }
  if (available >= 2 && p[0] == 0xC2 && p[1] == 0xA0) {
    return 2;  // U+00A0
  }
  if (available >= 3) {
    if (p[0] == 0xE1 && p[1] == 0x9A && p[2] == 0x80) {
      return 3;  // U+1680
    }
    if (p[0] == 0xE2 && p[1] == 0x80 && ((p[2] >= 0x80 && p[2] <= 0x8A) || p[2] == 0xAF)) {
      return 3;  // U+2000..U+200A, U+202F
    }
    if (p[0] == 0xE2 && p[1] == 0x81 && p[2] == 0x9F) {
      return 3;  // U+205F
    }
    if (p[0] == 0xE3 && p[1] == 0x80 && p[2] == 0x80) {
      return 3;  // U+3000
    }
  }
  return 0;
}

// Length of a space separator that ends just before `end`, else 0.
std::size_t trailingSpaceLength(const unsigned char* begin, const unsigned char* end) {
  const std::size_t available = static_cast<std::size_t>(end - begin);
  for (std::size_t length : {std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
    if (available >= length && spaceLength(end - length, length) == length) {
      return length;
    }
  }
  return 0;
}

}  // namespace

bool readNumber(std::string_view field, double* value) {
  if (field.starts_with('+')) {
    field.remove_prefix(1);  // from_chars takes no plus sign
    if (field.starts_with('-')) {
      return false;
    }
  }
  // The common spelling first; any other goes through the full conversion.
  double plain = 0.0;
  if (!field.empty() && readPlainDecimal(field, &plain) == field.size()) {
    *value = plain;
    return true;
  }
  const char* const end = field.data() + field.size();
  double parsed = 0.0;
  const auto result = std::from_chars(field.data(), end, parsed, std::chars_format::general);
  if (result.ptr != end) {
    return false;
  }
  if (result.ec == std::errc::result_out_of_range) {
    // Overflow is unreadable; underflow is a tiny finite number.
    const std::string copy(field);
    parsed = std::strtod(copy.c_str(), nullptr);
  } else if (result.ec != std::errc()) {
    return false;
  }
  if (!std::isfinite(parsed)) {
    return false;
  }
  *value = parsed;
  return true;
}

bool readInteger(std::string_view field, int* value) {
  const char* p = field.data();
  const char* const end = p + field.size();
  if (p != end && *p == '+') {
    ++p;
    if (p != end && *p == '-') {
      return false;
    }
  }
  if (p == end) {
    return false;
  }
  int parsed = 0;
  const auto result = std::from_chars(p, end, parsed, 10);
  if (result.ec != std::errc() || result.ptr != end) {
    return false;
  }
  *value = parsed;
  return true;
}

std::string_view trimmed(std::string_view field) {
  auto begin = reinterpret_cast<const unsigned char*>(field.data());
  auto end = begin + field.size();
  while (std::size_t length = spaceLength(begin, static_cast<std::size_t>(end - begin))) {
    begin += length;
  }
  while (end > begin) {
    const std::size_t length = trailingSpaceLength(begin, end);
    if (length == 0) {
      break;
    }
    end -= length;
  }
  return {reinterpret_cast<const char*>(begin), static_cast<std::size_t>(end - begin)};
}

bool isValidUtf8(std::string_view text) {
  auto p = reinterpret_cast<const unsigned char*>(text.data());
  const auto end = p + text.size();
  while (p != end) {
    const unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      low = c == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
      high = c == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      low = c == 0xF0 ? 0x90 : 0x80;
      high = c == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    } else {
      return false;
    }
    if (static_cast<std::size_t>(end - p) < length || p[1] < low || p[1] > high) {
      return false;
    }
    for (std::size_t i = 2; i < length; ++i) {
      if (p[i] < 0x80 || p[i] > 0xBF) {
        return false;
      }
    }
    p += length;
  }
  return true;
}

std::int64_t daysFromCivil(int year, unsigned month, unsigned day) {
  // Howard Hinnant's algorithm: exact for the proleptic Gregorian calendar.
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace dashcard::nmea

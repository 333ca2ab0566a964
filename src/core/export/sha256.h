#pragma once

#include "core/export/file_copier.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstddef>
#include <optional>

struct evp_md_ctx_st;

namespace dashcard {

// SHA-256 of OpenSSL's libcrypto (it uses the CPU's SHA instructions), fed
// piece by piece.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void add(const char* data, std::size_t size);
  // The digest as 64 lower-case hex digits; the hash starts over afterwards.
  QByteArray finishHex();

  // Where a file's bytes are read from: whatever the page cache holds, or
  // the device (flushed with fsync and dropped from the cache first, so a
  // copy is checked as it was written, not as it sits in memory).
  enum class Source { Cache, Device };
  // The hex digest of the regular file at `path`, read in bounded blocks;
  // `error` gets why it could not be read. Stops early (no digest) when
  // `cancel` is set.
  static std::optional<QByteArray> ofFile(const QString& path, Source source = Source::Cache,
                                          FileError* error = nullptr, const std::atomic<bool>* cancel = nullptr);

 private:
  evp_md_ctx_st* context_;
};

}  // namespace dashcard

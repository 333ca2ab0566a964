#include "core/export/sha256.h"

#include "core/common/regular_file.h"

#include <openssl/evp.h>

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace dashcard {

Sha256::Sha256() : context_(EVP_MD_CTX_new()) { EVP_DigestInit_ex(context_, EVP_sha256(), nullptr); }

Sha256::~Sha256() { EVP_MD_CTX_free(context_); }

void Sha256::add(const char* data, std::size_t size) { EVP_DigestUpdate(context_, data, size); }

QByteArray Sha256::finishHex() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(context_, digest, &length);
  EVP_DigestInit_ex(context_, EVP_sha256(), nullptr);
  return QByteArray(reinterpret_cast<const char*>(digest), static_cast<qsizetype>(length)).toHex();
}

std::optional<QByteArray> Sha256::ofFile(const QString& path, Source source, FileError* error,
                                         const std::atomic<bool>* cancel) {
  const auto fail = [&](int code) -> std::optional<QByteArray> {
    if (error != nullptr) {
      *error = code == EINVAL ? FileError{EINVAL, QStringLiteral("%1: not a regular file").arg(path)}
                              : FileCopier::errorFor(code, path);
    }
    return std::nullopt;
  };
  const int fd = openRegularFile(path);
  if (fd < 0) {
    return fail(errno);
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (source == Source::Device) {
    // fsync works on a read-only descriptor; without it the dropped pages
    // would still be dirty and stay in memory.
    if (::fsync(fd) != 0 && errno != EINVAL) {
      return fail(errno);
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  Sha256 hash;
  constexpr std::size_t kBlock = 1 << 20;
  const std::unique_ptr<char[]> buffer(new char[kBlock]);
  for (;;) {
    if (cancel != nullptr && cancel->load()) {
      return fail(ECANCELED);
    }
    const ssize_t got = ::read(fd, buffer.get(), kBlock);
    if (got == 0) {
      break;
    }
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return fail(errno);
    }
    hash.add(buffer.get(), static_cast<std::size_t>(got));
  }
  return hash.finishHex();
}

}  // namespace dashcard

#pragma once

// What every fuzz target shares: the check that stops the run, the scratch
// file the input is written to (the readers under test take paths), and the
// seed writing asked for with DASHCARD_FUZZ_WRITE_SEEDS=<dir>.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace dashcard::fuzz {

inline void check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

// A file of this process in /dev/shm (else the temporary folder).
inline QString scratchPath(const QString& name) {
  const QString base = QFile::exists(QStringLiteral("/dev/shm")) ? QStringLiteral("/dev/shm") : QDir::tempPath();
  return QStringLiteral("%1/dashcard-fuzz-%2-%3").arg(base).arg(::getpid()).arg(name);
}

// Writes the input to `path`; false when it could not.
inline bool writeInput(const QString& path, const std::uint8_t* bytes, std::size_t size) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
         file.write(reinterpret_cast<const char*>(bytes), static_cast<qint64>(size)) == static_cast<qint64>(size);
}

// In LLVMFuzzerInitialize: with DASHCARD_FUZZ_WRITE_SEEDS set, writes the
// seeds into that folder and exits.
template <typename WriteSeeds>
void writeSeedsWhenAsked(WriteSeeds writeSeeds) {
  const QString seeds = qEnvironmentVariable("DASHCARD_FUZZ_WRITE_SEEDS");
  if (!seeds.isEmpty()) {
    QDir().mkpath(seeds);
    writeSeeds(seeds);
    std::exit(0);
  }
}

}  // namespace dashcard::fuzz

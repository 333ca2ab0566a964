#include "core/common/path_existence_cache.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace dashcard {
namespace {

class PathExistenceCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString write(const QString& relative, int bytes) {
    const QString path = dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(bytes, 'x'));
    return path;
  }
  QTemporaryDir dir;
};

TEST_F(PathExistenceCacheTest, AnswersFromOneListingPerFolder) {
  const QString odd = write(QStringLiteral("NORMAL/it's a \"clip\" é.MP4"), 3);
  PathExistenceCache cache;
  EXPECT_TRUE(cache.exists(odd));
  EXPECT_FALSE(cache.exists(dir.filePath(QStringLiteral("NORMAL/missing.MP4"))));
  EXPECT_FALSE(cache.exists(dir.filePath(QStringLiteral("NO_SUCH_FOLDER/a.MP4"))));
  EXPECT_FALSE(cache.exists(QString()));
  // A file made after its folder was listed is not seen: the scan's snapshot.
  const QString late = write(QStringLiteral("NORMAL/late.MP4"), 1);
  EXPECT_FALSE(cache.exists(late));
  EXPECT_TRUE(PathExistenceCache().exists(late));
  // Trailing slashes name the same entry.
  EXPECT_TRUE(cache.exists(dir.filePath(QStringLiteral("NORMAL")) + u'/'));
}

TEST_F(PathExistenceCacheTest, StatReadsRelativeToTheListedFolder) {
  const QString clip = write(QStringLiteral("NMEA/NORMAL/N_1.NMEA"), 1234);
  PathExistenceCache cache;
  struct stat info {};
  ASSERT_TRUE(cache.stat(clip, &info));
  EXPECT_EQ(info.st_size, 1234);
  EXPECT_FALSE(cache.stat(dir.filePath(QStringLiteral("NMEA/NORMAL/N_2.NMEA")), &info));
  // Removed after the listing: a clear "no", not stale attributes.
  ASSERT_TRUE(QFile::remove(clip));
  EXPECT_FALSE(cache.stat(clip, &info));
}

TEST_F(PathExistenceCacheTest, TakenListingsReplaceReadingTheFolder) {
  const QString folder = dir.filePath(QStringLiteral("EVENT"));
  write(QStringLiteral("EVENT/real.MP4"), 1);
  PathExistenceCache cache;
  cache.addListing(folder, {QStringLiteral("given.MP4")});
  EXPECT_TRUE(cache.exists(folder + QStringLiteral("/given.MP4")));
  EXPECT_FALSE(cache.exists(folder + QStringLiteral("/real.MP4")));
  // A second listing of a known folder does not replace the first.
  cache.addListing(folder, {QStringLiteral("other.MP4")});
  EXPECT_TRUE(cache.exists(folder + QStringLiteral("/given.MP4")));
  EXPECT_FALSE(cache.exists(folder + QStringLiteral("/other.MP4")));
}

TEST(PathExistenceCacheScope, InstallsPerThreadAndRestores) {
  EXPECT_EQ(PathExistenceCache::current(), nullptr);
  PathExistenceCache outer;
  PathExistenceCache inner;
  {
    PathExistenceCache::Scope first(&outer);
    EXPECT_EQ(PathExistenceCache::current(), &outer);
    {
      PathExistenceCache::Scope second(&inner);
      EXPECT_EQ(PathExistenceCache::current(), &inner);
      PathExistenceCache* seenElsewhere = &inner;
      std::thread([&] { seenElsewhere = PathExistenceCache::current(); }).join();
      EXPECT_EQ(seenElsewhere, nullptr);
    }
    EXPECT_EQ(PathExistenceCache::current(), &outer);
  }
  EXPECT_EQ(PathExistenceCache::current(), nullptr);
}

TEST_F(PathExistenceCacheTest, SharedByThreadsListingTheSameFolders) {
  constexpr int kFolders = 8;
  constexpr int kFiles = 50;
  for (int folder = 0; folder < kFolders; ++folder) {
    for (int file = 0; file < kFiles; ++file) {
      write(QStringLiteral("F%1/clip%2.MP4").arg(folder).arg(file), file);
    }
  }
  PathExistenceCache cache;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round) {
        for (int folder = 0; folder < kFolders; ++folder) {
          const int f = (folder + t) % kFolders;
          for (int file = 0; file < kFiles; ++file) {
            const QString path = dir.filePath(QStringLiteral("F%1/clip%2.MP4").arg(f).arg(file));
            struct stat info {};
            if (!cache.exists(path) || !cache.stat(path, &info) || info.st_size != file || cache.exists(path + u'x')) {
              ++wrong;
            }
          }
        }
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace dashcard

#include "core/common/const_class.h"
#include "core/common/path_existence_cache.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

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
  struct statx info {};
  ASSERT_TRUE(cache.statx(clip, STATX_SIZE, &info));
  EXPECT_EQ(info.stx_size, 1234u);
  EXPECT_FALSE(cache.statx(dir.filePath(QStringLiteral("NMEA/NORMAL/N_2.NMEA")), STATX_SIZE, &info));
  // Removed after the listing: a clear "no", not stale attributes.
  ASSERT_TRUE(QFile::remove(clip));
  EXPECT_FALSE(cache.statx(clip, STATX_SIZE, &info));
}

PathExistenceCache::Listing listingOf(std::initializer_list<QString> names) {
  PathExistenceCache::Listing listing;
  for (const QString& name : names) {
    const QByteArray bytes = name.toLatin1();
    if (QString::fromLatin1(bytes) == name && !bytes.contains('\x80')) {
      listing.addAscii(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    } else {
      listing.add(name);
    }
  }
  return listing;
}

TEST_F(PathExistenceCacheTest, TakenListingsReplaceReadingTheFolder) {
  const QString folder = dir.filePath(QStringLiteral("EVENT"));
  write(QStringLiteral("EVENT/real.MP4"), 1);
  PathExistenceCache cache;
  cache.addListing(folder, listingOf({QStringLiteral("given.MP4"), QStringLiteral("día 1.MP4")}));
  EXPECT_TRUE(cache.exists(folder + QStringLiteral("/given.MP4")));
  EXPECT_TRUE(cache.exists(folder + QStringLiteral("/día 1.MP4")));
  EXPECT_FALSE(cache.exists(folder + QStringLiteral("/real.MP4")));
  EXPECT_FALSE(cache.exists(folder + QStringLiteral("/given.MP")));
  EXPECT_FALSE(cache.exists(folder + QStringLiteral("/given.MP4x")));
  // A second listing of a known folder does not replace the first.
  cache.addListing(folder, listingOf({QStringLiteral("other.MP4")}));
  EXPECT_TRUE(cache.exists(folder + QStringLiteral("/given.MP4")));
  EXPECT_FALSE(cache.exists(folder + QStringLiteral("/other.MP4")));
}

TEST_F(PathExistenceCacheTest, FoldersOfManyKindsOfFileAnswerAlike) {
  const QString few = dir.filePath(QStringLiteral("FEW"));
  const QString many = dir.filePath(QStringLiteral("MANY"));
  PathExistenceCache cache;
  cache.addListing(few, listingOf({QStringLiteral("a.MP4"), QStringLiteral("NORMAL"), QStringLiteral(".hidden")}));
  PathExistenceCache::Listing listing;
  for (int i = 0; i < 12; ++i) {
    listing.add(QStringLiteral("clip.e%1").arg(i));
  }
  listing.add(QStringLiteral("README"));
  cache.addListing(many, std::move(listing));
  for (const QString& folder : {few, many}) {
    EXPECT_FALSE(cache.exists(folder + QStringLiteral("/a.NMEA")));
    EXPECT_FALSE(cache.exists(folder + QStringLiteral("/b.MP4")));
    EXPECT_FALSE(cache.exists(folder + QStringLiteral("/OTHER")));
  }
  EXPECT_TRUE(cache.exists(few + QStringLiteral("/a.MP4")));
  EXPECT_FALSE(cache.exists(few + QStringLiteral("/a.mp4")));
  EXPECT_TRUE(cache.exists(few + QStringLiteral("/NORMAL")));
  EXPECT_TRUE(cache.exists(few + QStringLiteral("/.hidden")));
  EXPECT_TRUE(cache.exists(many + QStringLiteral("/clip.e0")));
  EXPECT_TRUE(cache.exists(many + QStringLiteral("/clip.e11")));
  EXPECT_TRUE(cache.exists(many + QStringLiteral("/README")));
}

TEST_F(PathExistenceCacheTest, LargeFoldersAnswerEveryNameAndNoOther) {
  // Enough names to fill many table slots next to each other.
  PathExistenceCache::Listing listing;
  for (int i = 0; i < 20000; ++i) {
    const QByteArray name = "F_" + QByteArray::number(i) + ".MP4";
    listing.addAscii(name.constData(), static_cast<std::size_t>(name.size()));
  }
  const QString folder = dir.filePath(QStringLiteral("NORMAL"));
  PathExistenceCache cache;
  cache.addListing(folder, std::move(listing));
  int wrong = 0;
  for (int i = 0; i < 20000; ++i) {
    wrong += cache.exists(folder + QStringLiteral("/F_%1.MP4").arg(i)) ? 0 : 1;
    wrong += cache.exists(folder + QStringLiteral("/R_%1.MP4").arg(i)) ? 1 : 0;
  }
  EXPECT_EQ(wrong, 0);
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
            struct statx info {};
            if (!cache.exists(path) || !cache.statx(path, STATX_SIZE, &info) ||
                info.stx_size != static_cast<quint64>(file) || cache.exists(path + u'x')) {
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

// On FAT, exFAT or a case-folded folder, `stat` finds "N_1.Nmea" when asked
// for "N_1.NMEA": the scan's listings must answer the same.
TEST_F(PathExistenceCacheTest, CaseInsensitiveFoldersCompareWithoutCase) {
  const QString stored = write(QStringLiteral("NMEA/NORMAL/N_1.Nmea"), 1);
  const QString asked = dir.filePath(QStringLiteral("NMEA/NORMAL/N_1.NMEA"));
  struct Case {
    const char* name;
    bool folds;
    bool listedByTheWalk;
  };
  for (const Case& c : {Case{"case-sensitive", false, false}, Case{"folding, listed on demand", true, false},
                        Case{"folding, listed by the walk", true, true}}) {
    PathExistenceCache cache([&c](const QString&) { return c.folds; });
    if (c.listedByTheWalk) {
      PathExistenceCache::Listing listing;
      listing.add(QStringLiteral("N_1.Nmea"));
      cache.addListing(QFileInfo(stored).absolutePath(), std::move(listing));
    }
    EXPECT_TRUE(cache.exists(stored)) << c.name;
    EXPECT_EQ(cache.exists(asked), c.folds) << c.name;
    EXPECT_EQ(cache.exists(dir.filePath(QStringLiteral("NMEA/NORMAL/n_1.nmea"))), c.folds) << c.name;
    EXPECT_FALSE(cache.exists(dir.filePath(QStringLiteral("NMEA/NORMAL/N_2.NMEA")))) << c.name;
    // The companion lookup of the scan goes through the same listing.
    EXPECT_EQ(ConstClass::existingPathWithExtensionCaseVariants(asked, &cache).isEmpty(), !c.folds) << c.name;
  }
}

TEST_F(PathExistenceCacheTest, RealFatVolumeFoldsCase) {
  QFile filesystems(QStringLiteral("/proc/filesystems"));
  if (!filesystems.open(QIODevice::ReadOnly) || !filesystems.readAll().contains("vfat")) {
    GTEST_SKIP() << "this kernel has no vfat";
  }
  if (geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("mkfs.vfat")).isEmpty()) {
    GTEST_SKIP() << "making a vfat image needs root and mkfs.vfat";
  }
  const QString image = dir.filePath(QStringLiteral("card.img"));
  const QString mountPoint = dir.filePath(QStringLiteral("card"));
  ASSERT_TRUE(QDir().mkpath(mountPoint));
  ASSERT_EQ(QProcess::execute(QStringLiteral("truncate"), {QStringLiteral("-s8M"), image}), 0);
  ASSERT_EQ(QProcess::execute(QStringLiteral("mkfs.vfat"), {image}), 0);
  if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-oloop"), image, mountPoint}) != 0) {
    GTEST_SKIP() << "cannot mount a loop device here";
  }
  {
    QFile file(mountPoint + QStringLiteral("/N_1.Nmea"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  EXPECT_TRUE(PathExistenceCache::foldsCaseOnDisk(mountPoint));
  EXPECT_TRUE(PathExistenceCache().exists(mountPoint + QStringLiteral("/N_1.NMEA")));
  QProcess::execute(QStringLiteral("umount"), {mountPoint});
}

}  // namespace
}  // namespace dashcard

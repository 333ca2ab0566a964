#include "core/common/const_class.h"
#include "support/temp_card.h"
#include "support/wait_for.h"

#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace dashcard {
namespace {

const QString kName = QStringLiteral("F_20240101120000_20240101120500_N");

TEST(ConstClassMatch, FolderNamesMatchWholeNamesOnly) {
  const QString& pattern = ConstClass::REG_TX900_FOLDER;
  EXPECT_TRUE(ConstClass::fullMatchResultWithTarget(QStringLiteral("NORMAL"), pattern));
  EXPECT_TRUE(ConstClass::fullMatchResultWithTarget(QStringLiteral("PICTURE"), pattern));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("normal"), pattern));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("NORMAL2"), pattern));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("NORMAL/SUB"), pattern));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("xNORMAL"), pattern));
  // Two matches are not one name.
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("NORMALEVENT"), pattern));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QString(), pattern));
  EXPECT_TRUE(ConstClass::fullMatchResultWithTarget(QStringLiteral("NMEA"), ConstClass::REG_RYND_ROOT_FOLDER));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("PARKING"), ConstClass::REG_RYND_ROOT_FOLDER));
}

TEST(ConstClassMatch, VideoAndPictureNames) {
  const QString& video = ConstClass::REG_RYND_FILE_VIDEO;
  EXPECT_TRUE(ConstClass::fullMatchResultWithTarget(kName + QStringLiteral(".mp4"), video));
  EXPECT_TRUE(ConstClass::fullMatchResultWithTarget(kName + QStringLiteral(".MP4"), video));
  // The dot is a dot.
  for (const char* other : {"_mp4", "xMP4", "mp4"}) {
    EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(kName + QLatin1String(other), video)) << other;
  }
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(kName + QStringLiteral(".MOV"), video));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(kName + QStringLiteral(".Mp4"), video));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(
      QStringLiteral("F_20240101120000_20241301120500_N.mp4"), video));  // month 13
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(
      QStringLiteral("F_20240101120000_20240101240500_N.mp4"), video));  // hour 24
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(
      QStringLiteral("R_20240101120000_20240101120500_N.mp4"), video));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(
      QStringLiteral("F_20240101120000_20240101120500_X.mp4"), video));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("._") + kName + QStringLiteral(".MP4"), video));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(kName + QStringLiteral(".MP4 "), video));
  // Digits of other scripts are no digits of a camera's name.
  for (const char16_t digit : {u'\u0661', u'\u0967', u'\uFF11'}) {  // Arabic-Indic, Devanagari, fullwidth one
    for (const qsizetype at : {2, 20}) {
      QString name = kName + QStringLiteral(".mp4");
      name[at] = QChar(digit);
      EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(name, video)) << at;
    }
  }

  const QString& picture = ConstClass::REG_TX900_FILE_PIC;
  EXPECT_TRUE(ConstClass::fullMatchResultWithTarget(QStringLiteral("240518000001.JPG"), picture));
  EXPECT_TRUE(ConstClass::fullMatchResultWithTarget(QStringLiteral("240518000001.jpg"), picture));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("241318000001.JPG"), picture));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("240518000001.jpeg"), picture));
}

TEST(ConstClassMatch, LengthsCountUtf16UnitsAndBadPatternsMatchNothing) {
  // One character outside the BMP is two UTF-16 units; "." is one code point.
  EXPECT_TRUE(ConstClass::fullMatchResultWithTarget(QString::fromUtf8("a\U0001F600"), QStringLiteral("a.")));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QString::fromUtf8("a\U0001F600b"), QStringLiteral("a.")));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("abc"), QStringLiteral("(abc")));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("abc"), QStringLiteral("[")));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("abc"), QString()));
  // A pattern that can match the empty text also matches at the end, so
  // it never gives exactly one match.
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("ab"), QStringLiteral("a*")));
  EXPECT_FALSE(ConstClass::fullMatchResultWithTarget(QStringLiteral("aa"), QStringLiteral("a*")));
}

TEST(ConstClassMatch, SafeFromManyThreadsAtOnce) {
  std::atomic<int> wrong{0};
  std::vector<QThread*> threads;
  for (int t = 0; t < 4; ++t) {
    threads.push_back(QThread::create([&wrong, t] {
      for (int i = 0; i < 2000; ++i) {
        const QString pattern = QStringLiteral("x%1[0-9]+").arg((i + t) % 7);
        const bool yes = ConstClass::fullMatchResultWithTarget(QStringLiteral("x%1123").arg((i + t) % 7), pattern);
        const bool no = ConstClass::fullMatchResultWithTarget(kName + QStringLiteral(".MOV"), ConstClass::REG_RYND_FILE_VIDEO);
        if (!yes || no) {
          ++wrong;
        }
      }
    }));
    threads.back()->start();
  }
  for (QThread* thread : threads) {
    thread->wait();
    delete thread;
  }
  EXPECT_EQ(wrong.load(), 0);
}

TEST(ConstClassMatch, LeavesTheCallersPatternUntouched) {
  // Threads share pattern constants: compiling one must not detach it in
  // place, as QString::utf16() does with literals and raw data.
  static const char16_t raw[] = u"y[0-9]+";
  const QString shared = QString::fromRawData(reinterpret_cast<const QChar*>(raw), 7);
  const QString literal = QStringLiteral("z[0-9]+");
  const QChar* const rawData = shared.constData();
  const QChar* const literalData = literal.constData();
  EXPECT_TRUE(ConstClass::fullMatchResultWithTarget(QStringLiteral("y12"), shared));
  EXPECT_TRUE(ConstClass::fullMatchResultWithTarget(QStringLiteral("z12"), literal));
  EXPECT_EQ(shared.constData(), rawData);
  EXPECT_EQ(literal.constData(), literalData);
}

TEST(ConstClassEvents, FolderDecidesKindAndLabel) {
  EXPECT_EQ(ConstClass::eventNameForFolderName(QStringLiteral("EVENT")), ConstClass::DCF_EVENTNAME_EVENT);
  EXPECT_EQ(ConstClass::eventNameForFolderName(QStringLiteral("200_SHOC")), ConstClass::DCF_EVENTNAME_EVENT);
  EXPECT_EQ(ConstClass::eventNameForFolderName(QStringLiteral("300_MANU")), ConstClass::DCF_EVENTNAME_MANUAL);
  EXPECT_EQ(ConstClass::eventNameForFolderName(QStringLiteral("400_PARK")), ConstClass::DCF_EVENTNAME_PARKING);
  EXPECT_EQ(ConstClass::eventNameForFolderName(QStringLiteral("event")), ConstClass::DCF_EVENTNAME_NORMAL);
  EXPECT_EQ(ConstClass::eventNameForFolderName(QStringLiteral("PICTURE")), ConstClass::DCF_EVENTNAME_NORMAL);
  EXPECT_EQ(ConstClass::eventLabelKeyForFolderName(QStringLiteral("PARKING")), QStringLiteral("PARKING RECORD"));
  EXPECT_TRUE(ConstClass::eventLabelKeyForFolderName(QStringLiteral("NORMAL")).isEmpty());
}

class CompanionFiles : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString path(const QString& relative) const { return dir.filePath(relative); }
  QTemporaryDir dir;
};

TEST_F(CompanionFiles, RearVideoPrefersUpperCaseExtension) {
  const QString front = path(QStringLiteral("NORMAL/") + kName + QStringLiteral(".MP4"));
  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("NORMAL/") + kName + QStringLiteral(".MP4")));
  EXPECT_TRUE(ConstClass::secondaryFilePathWithFilePath(front).isEmpty());
  const QString rearLower = path(QStringLiteral("NORMAL/R") + kName.mid(1) + QStringLiteral(".mp4"));
  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("NORMAL/R") + kName.mid(1) + QStringLiteral(".mp4")));
  EXPECT_EQ(ConstClass::secondaryFilePathWithFilePath(front), rearLower);
  const QString rearUpper = path(QStringLiteral("NORMAL/R") + kName.mid(1) + QStringLiteral(".MP4"));
  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("NORMAL/R") + kName.mid(1) + QStringLiteral(".MP4")));
  EXPECT_EQ(ConstClass::secondaryFilePathWithFilePath(front), rearUpper);
}

TEST_F(CompanionFiles, ExtensionVariantsIgnoreTrailingSlashes) {
  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("NMEA/N_1.nmea")));
  EXPECT_EQ(ConstClass::existingPathWithExtensionCaseVariants(path(QStringLiteral("NMEA/N_1.NMEA/"))),
            path(QStringLiteral("NMEA/N_1.nmea")));
  EXPECT_TRUE(ConstClass::existingPathWithExtensionCaseVariants(path(QStringLiteral("NMEA/N_2.NMEA//"))).isEmpty());
}

TEST_F(CompanionFiles, RearVideoOnlyRewritesTheFileName) {
  // A card copied into a folder named like the video must not have that folder rewritten.
  const QString folder = kName + QStringLiteral(".MP4");
  const QString front = path(folder + QStringLiteral("/NORMAL/") + folder);
  ASSERT_TRUE(test::writeFileAt(dir.path(), folder + QStringLiteral("/NORMAL/R") + folder.mid(1)));
  EXPECT_EQ(ConstClass::secondaryFilePathWithFilePath(front), path(folder + QStringLiteral("/NORMAL/R") + folder.mid(1)));
}

TEST_F(CompanionFiles, TelemetryCandidatesInOrder) {
  const QString front = path(QStringLiteral("NORMAL/") + kName + QStringLiteral(".MP4"));
  const QString nmeaName = QStringLiteral("N") + kName.mid(1) + QStringLiteral(".NMEA");
  // Nothing anywhere: the first candidate, a file to be.
  EXPECT_EQ(ConstClass::infoFilePathWithFilePath(front), path(QStringLiteral("NORMAL/") + nmeaName));

  bool alternate = false;
  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("PRIVATE/QORVEX/CLPEXT/") + kName + QStringLiteral(".CED")));
  // The CED folder sits two levels above the recording folder's parent.
  const QString deep = path(QStringLiteral("DCIM/100ABCDE/") + kName + QStringLiteral(".MP4"));
  EXPECT_EQ(ConstClass::infoFilePathWithFilePath(deep, &alternate),
            path(QStringLiteral("PRIVATE/QORVEX/CLPEXT/") + kName + QStringLiteral(".CED")));
  EXPECT_TRUE(alternate);

  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("NMEA/NORMAL/N") + kName.mid(1) + QStringLiteral(".nmea")));
  EXPECT_EQ(ConstClass::infoFilePathWithFilePath(front, &alternate),
            path(QStringLiteral("NMEA/NORMAL/N") + kName.mid(1) + QStringLiteral(".nmea")));
  EXPECT_TRUE(alternate);

  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("NORMAL/") + kName + QStringLiteral(".ced")));
  EXPECT_EQ(ConstClass::infoFilePathWithFilePath(front, &alternate),
            path(QStringLiteral("NORMAL/") + kName + QStringLiteral(".ced")));
  EXPECT_FALSE(alternate);

  ASSERT_TRUE(test::writeFileAt(dir.path(), QStringLiteral("NORMAL/") + nmeaName));
  EXPECT_EQ(ConstClass::infoFilePathWithFilePath(front), path(QStringLiteral("NORMAL/") + nmeaName));
}

TEST_F(CompanionFiles, NmeaTreeUnderARootThatContainsTheFolderName) {
  // The card root itself carries "NORMAL" in its name.
  const QString root = QStringLiteral("NORMAL_copy");
  ASSERT_TRUE(test::writeFileAt(dir.path(), root + QStringLiteral("/NMEA/NORMAL/N") + kName.mid(1) + QStringLiteral(".NMEA")));
  const QString front = path(root + QStringLiteral("/NORMAL/") + kName + QStringLiteral(".MP4"));
  EXPECT_EQ(ConstClass::infoFilePathWithFilePath(front),
            path(root + QStringLiteral("/NMEA/NORMAL/N") + kName.mid(1) + QStringLiteral(".NMEA")));
}

TEST(ConstClassPaths, LexicalResolution) {
  EXPECT_EQ(ConstClass::resolvedPath(QStringLiteral("/Volumes/CARD/DCIM/100ABCDE"), ConstClass::CED_RELATIVE_FOLDER),
            QStringLiteral("/Volumes/CARD/PRIVATE/QORVEX/CLPEXT"));
  EXPECT_EQ(ConstClass::resolvedPath(QStringLiteral("/a"), QStringLiteral("../../b/c")), QStringLiteral("/b/c"));
  EXPECT_EQ(ConstClass::resolvedPath(QStringLiteral("/"), QStringLiteral("../x")), QStringLiteral("/x"));
  EXPECT_EQ(ConstClass::resolvedPath(QStringLiteral("/a/b"), QStringLiteral("c")), QStringLiteral("/a/b/c"));
  EXPECT_EQ(ConstClass::existingPathWithExtensionCaseVariants(QStringLiteral("/nonexistent/x.NMEA")), QString());
}

}  // namespace
}  // namespace dashcard

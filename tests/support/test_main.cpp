// The main of every test executable: the Qt application object the tests of
// that executable need, then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>

#include <clocale>
#include <memory>

int main(int argc, char* argv[]) {
  ::testing::InitGoogleTest(&argc, argv);
#if DASHCARD_TEST_APP == 0
  QCoreApplication app(argc, argv);
#elif DASHCARD_TEST_APP == 1
  QGuiApplication app(argc, argv);
#else
  QApplication app(argc, argv);
#endif
  QCoreApplication::setApplicationName(QStringLiteral("dashcard-tests"));
  QCoreApplication::setOrganizationName(QStringLiteral("dashcard"));
  std::setlocale(LC_NUMERIC, "C");
  return RUN_ALL_TESTS();
}

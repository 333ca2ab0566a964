// The main of every test executable: the Qt application object the tests of
// that executable need, then GoogleTest.
#include "core/common/main_thread.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <clocale>
#include <memory>

#if defined(__SANITIZE_THREAD__)
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

#include <cstdarg>

// QProcess starts programs with clone(CLONE_VM | CLONE_VFORK): the child runs
// in this process's memory, and ThreadSanitizer's bookkeeping of the child
// lands in the parent's. After one started program the parent's own locks
// went unseen (reports on fields only touched under a mutex) or the run died
// ("starting new threads after multi-threaded fork"). Under ThreadSanitizer
// the tests start programs as a plain fork instead, which QProcess handles.
extern "C" int clone(int (*function)(void*), void* stack, int flags, void* argument, ...) noexcept {
  va_list rest;
  va_start(rest, argument);
  auto* parentTid = va_arg(rest, pid_t*);
  void* tls = va_arg(rest, void*);
  auto* childTid = va_arg(rest, pid_t*);
  va_end(rest);
  using Clone = int (*)(int (*)(void*), void*, int, void*, ...);
  static const auto next = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
  if ((flags & CLONE_VM) != 0 && (flags & CLONE_VFORK) != 0) flags &= ~(CLONE_VM | CLONE_VFORK);
  return next(function, stack, flags, argument, parentTid, tls, childTid);
}
#endif

namespace {
// The exit code of a run that passed but skipped tests, so that a skip never
// passes unseen (CTest lists it as skipped: SKIP_RETURN_CODE).
constexpr int kSkippedExitCode = 77;
}  // namespace

int main(int argc, char* argv[]) {
  ::testing::InitGoogleTest(&argc, argv);
  // CTest lists the cases at test time, where there may be no display for
  // the application object.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  // Tests never touch the user's own cache and settings: every run gets a
  // scratch folder unless told otherwise.
  std::unique_ptr<QTemporaryDir> scratch;
  for (const char* name : {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
    if (!qEnvironmentVariableIsEmpty(name)) continue;
    if (!scratch) scratch = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/dashcard-tests-XXXXXX"));
    qputenv(name, QFile::encodeName(scratch->filePath(QString::fromLatin1(name))));
  }
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
  const int result = RUN_ALL_TESTS();
  // Jobs of the last tests (map tiles among them) end while the application is whole.
  dashcard::drainBackgroundJobs();
  if (result == 0 && ::testing::UnitTest::GetInstance()->skipped_test_count() > 0) return kSkippedExitCode;
  return result;
}

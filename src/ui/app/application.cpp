#include "ui/app/application.h"

#include "core/common/main_thread.h"
#include "core/common/version.h"
#include "core/playback/media_controller.h"
#include "ui/app/main_window_controller.h"
#include "ui/app/my_document.h"
#include "ui/app/preferences.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>
#include <QIcon>
#include <QPalette>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>

#include <clocale>

namespace dashcard {

namespace {
// Fusion moves a slider clicked on its track by a page step: a hundredth of
// a percent on the time sliders' 100 000 steps. A click goes where the user
// clicked and takes hold of the handle, as a drag does.
class AppearanceStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_Slider_AbsoluteSetButtons) return Qt::LeftButton | Qt::MiddleButton;
    if (hint == SH_Slider_PageSetButtons) return Qt::NoButton;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};
}  // namespace

QStyle* Application::makeStyle() { return new AppearanceStyle(QStyleFactory::create(QStringLiteral("Fusion"))); }

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QString::fromLatin1(kApplicationName).toLower());
  setApplicationDisplayName(QString::fromLatin1(kApplicationName));
  setOrganizationName(QString::fromLatin1(kOrganizationName).toLower());
  setApplicationVersion(QString::fromLatin1(kVersion));
  // Ties the windows to the installed desktop entry (icon, taskbar grouping).
  setDesktopFileName(QString::fromLatin1(kApplicationId));
  setWindowIcon(QIcon(QStringLiteral(":/images/app_icon.svg")));
  setQuitOnLastWindowClosed(true);
  // libmpv refuses to start unless numbers are formatted the C way.
  std::setlocale(LC_NUMERIC, "C");
  registerDefaults();
  Preferences::load().apply();
  installTranslations(QLocale::system());
  applyDarkAppearance();
}

void Application::applyDarkAppearance() {
  // A dark neutral look, close to the graph's background, for long viewing.
  setStyle(makeStyle());
  QPalette palette;
  const QColor window(45, 45, 47);
  const QColor base(34, 34, 36);
  const QColor text(222, 222, 222);
  const QColor dim(128, 128, 128);
  palette.setColor(QPalette::Window, window);
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Base, base);
  palette.setColor(QPalette::AlternateBase, QColor(40, 40, 42));
  palette.setColor(QPalette::ToolTipBase, QColor(60, 60, 62));
  palette.setColor(QPalette::ToolTipText, text);
  palette.setColor(QPalette::PlaceholderText, dim);
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::Button, QColor(58, 58, 60));
  palette.setColor(QPalette::ButtonText, text);
  palette.setColor(QPalette::BrightText, Qt::white);
  palette.setColor(QPalette::Light, QColor(75, 75, 77));
  palette.setColor(QPalette::Midlight, QColor(62, 62, 64));
  palette.setColor(QPalette::Mid, QColor(38, 38, 40));
  palette.setColor(QPalette::Dark, QColor(25, 25, 27));
  palette.setColor(QPalette::Shadow, Qt::black);
  palette.setColor(QPalette::Highlight, QColor(47, 110, 186));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::Link, QColor(90, 160, 230));
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, dim);
  }
  palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(70, 70, 72));
  setPalette(palette);
}

Application::~Application() {
  // The windows' jobs stop; what still runs (map tiles among it) ends while
  // the GUI application is whole.
  for (QWidget* widget : topLevelWidgets()) {
    auto* window = qobject_cast<MainWindowController*>(widget);
    if (window != nullptr && window->mediaController() != nullptr) window->mediaController()->dispose();
  }
  drainBackgroundJobs();
}

Application* Application::instance() { return qobject_cast<Application*>(QCoreApplication::instance()); }

QVariantMap Application::bundledDefaults() {
  QFile file(QStringLiteral(":/UserDefaults.json"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
  return doc.isObject() ? doc.object().toVariantMap() : QVariantMap{};
}

namespace {
QVariantMap& registeredDefaults() {
  static QVariantMap defaults;
  return defaults;
}
}  // namespace

QVariantMap Application::registerDefaults() {
  // Kept in memory only: a stored copy would hide a later bundled change.
  registeredDefaults() = bundledDefaults();
  return registeredDefaults();
}

QVariant Application::userDefault(const QString& key) {
  return QSettings().value(key, registeredDefaults().value(key));
}

QString Application::loadTranslator(QTranslator& translator, const QLocale& locale) {
  if (translator.load(locale, QStringLiteral("dashcard"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
    return translator.language();
  }
  // The menu keys and the camera's Japanese texts need a translation even in
  // languages we do not ship: English then.
  if (translator.load(QStringLiteral(":/i18n/dashcard_en.qm"))) return translator.language();
  return {};
}

QString Application::installTranslations(const QLocale& locale) {
  for (QTranslator** installed : {&translator_, &qtTranslator_}) {
    if (*installed) {
      removeTranslator(*installed);
      delete *installed;
      *installed = nullptr;
    }
  }
  auto* translator = new QTranslator(this);
  const QString language = loadTranslator(*translator, locale);
  if (language.isEmpty()) {
    delete translator;
    return {};
  }
  installTranslator(translator);
  translator_ = translator;
  auto* qtTranslator = new QTranslator(this);
  if (qtTranslator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(qtTranslator);
    qtTranslator_ = qtTranslator;
  } else {
    delete qtTranslator;
  }
  return language;
}

QString Application::ryndString(const char* key) { return QCoreApplication::translate("RyndStrings", key); }

}  // namespace dashcard

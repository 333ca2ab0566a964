#pragma once

#include <QApplication>
#include <QLocale>
#include <QVariantMap>

class QStyle;
class QTranslator;

namespace dashcard {

// The viewer's application object: registration defaults, translations,
// quitting with the last window and cleaning the thumbnail cache at exit.
class Application : public QApplication {
  Q_OBJECT
 public:
  Application(int& argc, char** argv);
  ~Application() override;

  static Application* instance();

  // Reads the bundled "UserDefaults" resource as the fallbacks of
  // userDefault() (nothing is stored); returns the bundled values.
  static QVariantMap registerDefaults();
  // The user's stored value of `key`, else the registered fallback.
  static QVariant userDefault(const QString& key);
  // The bundled defaults (empty when the resource is missing or broken).
  static QVariantMap bundledDefaults();

  // Loads the translation for `locale` (English when there is none for it);
  // replaces an earlier one. Returns the language actually loaded.
  QString installTranslations(const QLocale& locale);

  // The Fusion style with a dark neutral palette.
  void applyDarkAppearance();
  // The application's style: Fusion, where a click on a slider's track
  // moves it there.
  static QStyle* makeStyle();

  // Loads into `translator` the shipped translation for `locale`, English
  // when there is none; returns its language, empty when nothing loaded.
  static QString loadTranslator(QTranslator& translator, const QLocale& locale);

  // A menu title from the "RyndStrings" table.
  static QString ryndString(const char* key);

 private:
  QTranslator* translator_ = nullptr;
  QTranslator* qtTranslator_ = nullptr;
};

}  // namespace dashcard

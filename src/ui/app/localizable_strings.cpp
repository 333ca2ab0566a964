// Keys that the catalogue looks up at run time in the "Localizable" table,
// listed here so that lupdate puts them into the translations.
#include <QtGlobal>

namespace dashcard {

extern const char* const kLocalizableKeys[];
const char* const kLocalizableKeys[] = {
    QT_TRANSLATE_NOOP("Localizable", "EVENT RECORD"),
    QT_TRANSLATE_NOOP("Localizable", "MANUAL RECORD"),
    QT_TRANSLATE_NOOP("Localizable", "PARKING RECORD"),
};

}  // namespace dashcard

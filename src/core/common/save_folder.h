#pragma once

#include <QString>

namespace dashcard {

// The kinds of file a save dialog asks for; each remembers its own folder.
enum class SaveKind { Capture, BackUp, Export, Repair };

// Where a save dialog for `kind` starts: the folder last used for that kind
// while it exists, else the user's Pictures (captures), Videos (repaired
// copies) or Documents folder, else the home folder; never the process's
// working directory.
QString saveFolder(SaveKind kind);
// Remembers the folder holding `chosenPath` for the next dialog of `kind`.
void rememberSaveFolder(SaveKind kind, const QString& chosenPath);

}  // namespace dashcard

#pragma once

#include <QString>

namespace dashcard {

// The kinds of file a save dialog asks for; each remembers its own folder.
enum class SaveKind { Capture, BackUp, Export };

// Where a save dialog for `kind` starts: the folder last used for that kind
// while it exists, else the user's Pictures (captures) or Documents folder,
// else the home folder; never the process's working directory.
QString saveFolder(SaveKind kind);
// Remembers the folder holding `chosenPath` for the next dialog of `kind`.
void rememberSaveFolder(SaveKind kind, const QString& chosenPath);

// True when `output` would be written on the card at `cardRoot` (or is the
// card itself): links followed as far as the path exists, so neither a
// link nor "..", nor a name not made yet, hides the card. Nothing is ever
// written to a card. False for an empty card root.
bool isOutputOnCard(const QString& output, const QString& cardRoot);
// The real path of `path`: links followed as far as the path exists, the
// parts not made yet appended as given.
QString realPathOf(const QString& path);
// True when `path` is `folder` or inside it (both real paths).
bool isInsideFolder(const QString& path, const QString& folder);

}  // namespace dashcard

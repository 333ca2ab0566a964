#pragma once

#include <QString>

namespace dashcard::test {

// Folder of real receiver logs shared with the project, or empty when this
// checkout has none beside it (tests that need it skip then).
QString nmeaCorpusDir();

// The dashcard-cli binary of this build.
QString cliPath();

}  // namespace dashcard::test

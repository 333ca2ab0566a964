#pragma once

#include <string>

namespace dashcard {

// The folder of the running program's file (the build tree or an
// installation's bin or libexec folder), where its helpers and modules are
// looked for; empty when the system does not say.
std::string programFolder();

}  // namespace dashcard

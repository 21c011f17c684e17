// The text of a system error number (errno), in English whatever the locale: the C library's
// strerror follows the language that Qt took from the environment, and the log of one run would
// mix languages ("Keine Berechtigung").
#pragma once

#include <string>

namespace vel {

// strerror's text of the error in the "C" locale ("Permission denied").
std::string SystemErrorText(int error);

}  // namespace vel

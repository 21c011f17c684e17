// The text of a system error number.
#include "SystemErrorText.h"

#include <locale.h>
#include <string.h>

namespace vel {

std::string SystemErrorText(int error) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (c == static_cast<locale_t>(nullptr)) return "error " + std::to_string(error);
    return strerror_l(error, c);
}

}  // namespace vel

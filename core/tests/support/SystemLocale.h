// Installed locales of the system (tr_TR.UTF-8, de_DE.UTF-8) for the tests that show that the
// programs do not depend on the user's locale. tools/ensure-deps.sh makes the two the tests
// use; without one, a test is skipped with a message, except under CI (the environment
// variable CI set), where it must run and fails instead.
#pragma once

#include <gtest/gtest.h>
#include <locale.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace vel::testing {

// True when the C library can switch to the locale; changes nothing.
inline bool LocaleInstalled(const std::string& name) {
    const locale_t l = ::newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(0));
    if (l == static_cast<locale_t>(0)) return false;
    ::freelocale(l);
    return true;
}

// Switches every category of the C library to the locale until the object goes, then back to
// what it was (the programs' Qt sets it from the environment in the same way). `active` is
// false, and nothing changed, when the locale is not installed.
class SystemLocale {
public:
    explicit SystemLocale(const std::string& name) {
        const char* now = std::setlocale(LC_ALL, nullptr);
        before_ = now ? now : "C";
        active = std::setlocale(LC_ALL, name.c_str()) != nullptr;
    }
    ~SystemLocale() { std::setlocale(LC_ALL, before_.c_str()); }
    SystemLocale(const SystemLocale&) = delete;
    SystemLocale& operator=(const SystemLocale&) = delete;

    bool active = false;

private:
    std::string before_;
};

}  // namespace vel::testing

// In a test body: ends the test when the locale is not installed, as skipped with a message,
// or under CI as failed.
#define VEL_REQUIRE_LOCALE(name)                                                               \
    do {                                                                                       \
        const std::string velLocale_ = (name);                                                 \
        if (!::vel::testing::LocaleInstalled(velLocale_)) {                                    \
            if (std::getenv("CI") != nullptr)                                                  \
                FAIL() << "The locale " << velLocale_                                          \
                       << " is not installed; tools/ensure-deps.sh makes it when run as root"; \
            GTEST_SKIP() << "The locale " << velLocale_                                        \
                         << " is not installed; tools/ensure-deps.sh makes it when run as "    \
                            "root";                                                            \
        }                                                                                      \
    } while (false)

// A C library locale whose decimal point is "," and thousands separator "." (as a German user
// has it), built for the test program with localedef in a temporary folder. Tests of number
// text run under it to show that the program's numbers do not depend on the user's locale.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace vel::testing {

class CommaDecimalLocale {
public:
    // Switches every category to the comma locale until the object goes; sets `active` when it
    // could be built (localedef exists and works).
    CommaDecimalLocale() {
        const std::string& path = Folder();
        if (path.empty()) return;
        ::setenv("LOCPATH", path.c_str(), 1);
        active = std::setlocale(LC_ALL, "xx_COMMA") != nullptr &&
                 std::string(std::localeconv()->decimal_point) == ",";
    }
    ~CommaDecimalLocale() {
        std::setlocale(LC_ALL, "C");
        ::unsetenv("LOCPATH");
    }
    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

    bool active = false;

private:
    // The folder of the compiled locale, built once per program; "" when it cannot be built.
    static const std::string& Folder() {
        static const std::string folder = Build();
        return folder;
    }
    static std::string Build() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vellicor-locale-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return {};
        static const std::string made = pattern;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(made, ec);
        });
        std::ofstream(pattern + "/comma") << "comment_char %\n"
                                             "escape_char /\n"
                                             "LC_CTYPE\ncopy \"POSIX\"\nEND LC_CTYPE\n"
                                             "LC_NUMERIC\ndecimal_point \",\"\n"
                                             "thousands_sep \".\"\ngrouping 3;3\n"
                                             "END LC_NUMERIC\n";
        const std::string command = "localedef -c -i '" + pattern + "/comma' -f ANSI_X3.4-1968 '" +
                                    pattern + "/xx_COMMA' >/dev/null 2>&1";
        [[maybe_unused]] const int status = std::system(command.c_str());
        return std::filesystem::exists(pattern + "/xx_COMMA/LC_NUMERIC") ? pattern : std::string();
    }
};

}  // namespace vel::testing

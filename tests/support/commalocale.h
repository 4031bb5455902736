// Test support: switches the process to a locale whose decimal point is a comma, as a
// player started in Germany runs with. Uses an installed locale, or builds one for the
// test from the locale sources (Debian's locales package). False when neither works.
#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

inline bool useCommaLocale()
{
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_ALL, name))
            return true;
    }
    const auto dir = std::filesystem::temp_directory_path() / "trava-test-locale";
    std::filesystem::create_directories(dir);
    const std::string cmd = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0 && !std::filesystem::exists(dir / "de_DE.UTF-8" / "LC_NUMERIC"))
        return false;
    setenv("LOCPATH", dir.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

// The whole process under a locale for a test's span, as Qt sets the user's locale at start-up.
// A locale the system lacks is made with localedef in a folder of the test's own (Linux).
#pragma once

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_dir.h"

class ScopedLocale {
  public:
    // `language` as "de_DE"; true from Active() once the process runs under it.
    explicit ScopedLocale(const std::string& language) {
        const char* current = std::setlocale(LC_ALL, nullptr);
        previous_ = current != nullptr ? current : "C";
        for (const std::string& name : NamesOf(language)) {
            if (std::setlocale(LC_ALL, name.c_str()) != nullptr) {
                active_ = true;
                return;
            }
        }
#ifndef _WIN32
        const std::string made = (made_.path() / (language + ".UTF-8")).string();
        // localedef may end with warnings and still have made it: the setlocale below tells.
        const std::string command =
            "localedef -i " + language + " -f UTF-8 '" + made + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == -1) return;
        setenv("LOCPATH", made_.path().c_str(), 1);
        active_ = std::setlocale(LC_ALL, (language + ".UTF-8").c_str()) != nullptr;
#endif
    }
    ~ScopedLocale() {
        std::setlocale(LC_ALL, previous_.c_str());
#ifndef _WIN32
        unsetenv("LOCPATH");
#endif
    }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    bool Active() const { return active_; }

  private:
    // The names the C library may know the locale by: glibc's, and Windows' own.
    static std::vector<std::string> NamesOf(const std::string& language) {
        std::string windows = language;
        windows[2] = '-';
        return {language + ".UTF-8", language + ".utf8", windows};
    }

    std::string previous_;
    bool active_ = false;
#ifndef _WIN32
    TempDir made_;
#endif
};

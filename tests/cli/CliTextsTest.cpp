#include "CliTexts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <string>

namespace {

// The variables as a user's shell may set them; "" leaves one unset (or empty).
struct LanguageCase {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    bool english;
};

// putenv is there on every platform the tests run on; "NAME=" unsets the variable on Windows and
// leaves it empty elsewhere, which the program takes alike. The environment keeps the string
// itself, so every one stays where it is for the rest of the run (later tests start programs
// with this environment).
void setOrUnset(const char* name, const char* value) {
    static std::deque<std::string> entries;
    entries.push_back(std::string(name) + "=" + value);
    ::putenv(entries.back().data());
}

} // namespace

TEST(CliTextsTest, LanguageComesFromTheFirstLocaleVariableThatIsSet) {
    for (const LanguageCase& c :
         {LanguageCase{"", "", "", true}, LanguageCase{"", "", "de_DE.UTF-8", false},
          LanguageCase{"", "", "en_GB.UTF-8", true}, LanguageCase{"", "de_AT", "en_US", false},
          LanguageCase{"", "C", "de_DE", true}, LanguageCase{"de_CH.UTF-8", "en_US", "en_US", false},
          LanguageCase{"en_US.UTF-8", "de_DE", "de_DE", true}}) {
        setOrUnset("LC_ALL", c.lcAll);
        setOrUnset("LC_MESSAGES", c.lcMessages);
        setOrUnset("LANG", c.lang);
        EXPECT_EQ(CliTexts::englishFromEnvironment(), c.english)
            << "LC_ALL=" << c.lcAll << " LC_MESSAGES=" << c.lcMessages << " LANG=" << c.lang;
    }
}

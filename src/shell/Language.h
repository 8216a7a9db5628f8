#pragma once
// The run-time language switch. German is the language of the source texts; English is a
// translator compiled into the program. Installing or removing it makes Qt send
// QEvent::LanguageChange to every window, and each window rewrites its texts there.
struct AppState;

class Language {
public:
    // Switches the whole program and sets EnglishUi, HelpFile and QuestionSuffix. When it
    // returns, every window has already rewritten its texts.
    static void setEnglish(AppState& app, bool english);
    // Whether the English translator is installed in this application.
    static bool englishActive();
};

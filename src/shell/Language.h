#pragma once
// The run-time language switch. German is the language of the source texts; English is a
// translator compiled into the program. Qt's own texts (file dialogs, standard buttons, key
// names) are English at the source and get Qt's German translator in German. Installing or
// removing them makes Qt send QEvent::LanguageChange to every window, and each window rewrites
// its texts there. The program calls setEnglish() once at start, so Qt's texts follow from the
// first window on.
struct AppState;

class Language {
public:
    // Switches the whole program and sets EnglishUi, HelpFile and QuestionSuffix. When it
    // returns, every window has already rewritten its texts.
    static void setEnglish(AppState& app, bool english);
    // Whether the English translator is installed in this application.
    static bool englishActive();
    // Whether Qt's German texts are installed.
    static bool qtGermanActive();
};

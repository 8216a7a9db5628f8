#pragma once
// Every message box, input box and file dialog of the program goes through this seam, so that
// tests can answer them and check what was asked.
#include <QString>

#include <optional>

class QWidget;

class Prompts {
public:
    enum class Icon { Information, Warning, Error, Confirmation };
    enum Button : int { Ok = 0x1, Cancel = 0x2, Yes = 0x4, No = 0x8, Retry = 0x10, Abort = 0x20 };

    struct FileDialog {
        QString title;
        // Filter in "Description|pattern|Description|pattern" form, as the windows keep it.
        QString filter;
        QString defaultSuffix; // without the dot
        QString directory;
    };

    virtual ~Prompts() = default;

    // Shows a message with the given buttons (a combination of Button) and returns the one pressed.
    virtual int message(QWidget* parent, Icon icon, const QString& text, int buttons,
                        const QString& caption = QString()) = 0;
    // An input box; nullopt when cancelled.
    virtual std::optional<QString> inputText(QWidget* parent, const QString& caption, const QString& prompt,
                                             const QString& preset) = 0;
    // File dialogs; nullopt when cancelled. The save dialog asks before overwriting.
    virtual std::optional<QString> openFileName(QWidget* parent, const FileDialog& dialog) = 0;
    virtual std::optional<QString> saveFileName(QWidget* parent, const FileDialog& dialog) = 0;
};

#pragma once
// The real prompts: Qt's message box, input box and file dialogs, with the program's own
// button texts so that a German session does not show English buttons.
#include "Prompts.h"

#include <QCoreApplication>
#include <QStringList>

class QtPrompts : public Prompts {
    Q_DECLARE_TR_FUNCTIONS(QtPrompts)
public:
    int message(QWidget* parent, Icon icon, const QString& text, int buttons,
                const QString& caption = QString()) override;
    std::optional<QString> inputText(QWidget* parent, const QString& caption, const QString& prompt,
                                     const QString& preset) override;
    std::optional<QString> openFileName(QWidget* parent, const FileDialog& dialog) override;
    std::optional<QString> saveFileName(QWidget* parent, const FileDialog& dialog) override;

    // "Description|pattern|Description|pattern" (patterns separated by ';') into Qt's name
    // filters "Description (pattern pattern)". A description that already ends with its
    // patterns in brackets is taken as it is.
    static QStringList toNameFilters(const QString& filter);

private:
    std::optional<QString> runFileDialog(QWidget* parent, const FileDialog& dialog, bool save);
};

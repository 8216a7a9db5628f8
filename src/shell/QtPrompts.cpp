#include "QtPrompts.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>

namespace {

// The least size of a file dialog, in average characters and lines of its font.
constexpr int kFileDialogColumns = 110;
constexpr int kFileDialogLines = 28;

QMessageBox::Icon toQtIcon(Prompts::Icon icon) {
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Warning:
        return QMessageBox::Warning;
    case Prompts::Icon::Error:
        return QMessageBox::Critical;
    case Prompts::Icon::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

int QtPrompts::message(QWidget* parent, Icon icon, const QString& text, int buttons, const QString& caption) {
    QString title = caption;
    if (title.isEmpty()) {
        switch (icon) {
        case Icon::Information:
            title = tr("Information");
            break;
        case Icon::Warning:
            title = tr("Warnung");
            break;
        case Icon::Error:
            title = tr("Fehler");
            break;
        case Icon::Confirmation:
            title = tr("Bestätigung");
            break;
        }
    }
    QMessageBox box(toQtIcon(icon), title, text, QMessageBox::NoButton, parent);
    struct Entry {
        Button ours;
        QMessageBox::StandardButton qt;
        QString label;
    };
    // The order in which the buttons appear, as in the windows' own message boxes.
    const Entry entries[] = {
        {Yes, QMessageBox::Yes, tr("&Ja")},
        {No, QMessageBox::No, tr("&Nein")},
        {Ok, QMessageBox::Ok, tr("OK")},
        {Retry, QMessageBox::Retry, tr("&Wiederholen")},
        {Cancel, QMessageBox::Cancel, tr("Abbrechen")},
        {Abort, QMessageBox::Abort, tr("Abbruch")},
    };
    if ((buttons & (Ok | Cancel | Yes | No | Retry | Abort)) == 0)
        buttons = Ok;
    for (const Entry& e : entries) {
        if (buttons & e.ours) {
            box.addButton(e.qt);
            box.button(e.qt)->setText(e.label);
        }
    }
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const Entry& e : entries) {
        if (e.qt == pressed)
            return e.ours;
    }
    // Closed without a button (window manager): the answer that changes nothing.
    for (Button b : {Cancel, No, Abort, Ok})
        if (buttons & b)
            return b;
    return Ok;
}

std::optional<QString> QtPrompts::inputText(QWidget* parent, const QString& caption, const QString& prompt,
                                            const QString& preset) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(preset);
    dialog.setOkButtonText(tr("OK"));
    dialog.setCancelButtonText(tr("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtPrompts::openFileName(QWidget* parent, const FileDialog& dialog) {
    return runFileDialog(parent, dialog, false);
}

std::optional<QString> QtPrompts::saveFileName(QWidget* parent, const FileDialog& dialog) {
    return runFileDialog(parent, dialog, true);
}

std::optional<QString> QtPrompts::runFileDialog(QWidget* parent, const FileDialog& d, bool save) {
    QFileDialog dialog(parent, d.title, d.directory);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Asking before an existing file is replaced is QFileDialog's default for saving; keep it so.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    const QStringList filters = toNameFilters(d.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!d.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(d.defaultSuffix);
    // Qt's own layout cuts the type and date columns short (in German "Ver…nis", "6 Dec …:18"):
    // they take the room their texts need, the names the rest, in a window of a file manager's
    // size measured in the dialog's font.
    if (auto* view = dialog.findChild<QTreeView*>()) {
        QHeaderView* header = view->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    const QFontMetrics metrics(dialog.font());
    dialog.resize(dialog.sizeHint().expandedTo(
        QSize(metrics.averageCharWidth() * kFileDialogColumns, metrics.height() * kFileDialogLines)));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return std::nullopt;
    return files.front();
}

QStringList QtPrompts::toNameFilters(const QString& filter) {
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    // A trailing description without a pattern is ignored: it could match nothing.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString t = p.trimmed();
            if (!t.isEmpty())
                patterns << t;
        }
        if (patterns.isEmpty())
            continue;
        const QString bracketed = QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        if (description.endsWith(bracketed))
            out << description;
        else if (description.isEmpty())
            out << bracketed;
        else
            out << description + QLatin1Char(' ') + bracketed;
    }
    return out;
}

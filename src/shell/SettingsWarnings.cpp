#include "SettingsWarnings.h"

#include "Prompts.h"

#include <QCoreApplication>
#include <QSettings>
#include <QVariant>

namespace {

// Enough to recognise a value; a damaged one may be any size.
constexpr qsizetype kShownLength = 60;

} // namespace

QString SettingsWarnings::storedText(const QVariant& value) {
    return value.typeId() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(','))
                                                    : value.toString();
}

QString SettingsWarnings::valueLine(const QString& key, const QVariant& value) {
    QString text = storedText(value);
    if (text.size() > kShownLength)
        text = text.left(kShownLength) + QStringLiteral("…");
    return QStringLiteral("\"%1\" = \"%2\"").arg(key, text);
}

QString SettingsWarnings::recordLine(const char* group, const char* name, const std::string& why) {
    return QStringLiteral("%1/%2: %3")
        .arg(QLatin1String(group), QLatin1String(name), QString::fromStdString(why));
}

void SettingsWarnings::show(Prompts& prompts, QWidget* parent, const QStringList& lines) {
    if (lines.isEmpty())
        return;
    for (const QString& line : lines)
        qWarning("%s", qPrintable(line));
    const QSettings settings(QStringLiteral("qel"), QStringLiteral("Vantrisco"));
    prompts.message(parent, Prompts::Icon::Warning,
                    QCoreApplication::translate(
                        "SettingsWarnings", "Diese Einstellungen sind ungültig und werden nicht verwendet:") +
                        QLatin1Char('\n') + lines.join(QLatin1Char('\n')) +
                        QStringLiteral("\n(%1)").arg(settings.fileName()),
                    Prompts::Ok);
}

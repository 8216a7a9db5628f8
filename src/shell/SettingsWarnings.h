#pragma once
// Stored settings that cannot be used are ignored, each with one line that names the value. A
// window shows the lines it collected together in one message (and on standard error), so a
// damaged settings file gives one warning rather than a box per value, and the rest of the
// settings still count.
#include <QString>
#include <QStringList>

#include <string>

class Prompts;
class QVariant;
class QWidget;

namespace SettingsWarnings {

// A stored value as text. An INI value with a comma comes back from QSettings as a list, which
// has no text of its own: it is joined again.
QString storedText(const QVariant& value);
// `"Sensor" = "ZYL 24"`: a stored value as a line of the warning (a long value is cut short).
QString valueLine(const QString& key, const QVariant& value);
// `zyl24/Einstellungen: FktQ1 = 15`: a window's binary record with what is wrong in it.
QString recordLine(const char* group, const char* name, const std::string& why);
// Shows the lines as one warning that names where the settings are kept; nothing without lines.
void show(Prompts& prompts, QWidget* parent, const QStringList& lines);

} // namespace SettingsWarnings

#include "PortMapSettings.h"

#include "SettingsWarnings.h"

#include <QSettings>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

PortMap readPortMapSettings(PortMap::Naming naming) {
    PortMap map(naming);
    QSettings settings(QStringLiteral("qel"), QStringLiteral("Vantrisco"));
    settings.beginGroup(QStringLiteral("Ports"));
    std::vector<std::pair<std::string, std::string>> entries;
    for (const QString& key : settings.childKeys())
        entries.emplace_back(key.toStdString(),
                             SettingsWarnings::storedText(settings.value(key)).toStdString());
    map.addSettings(entries);
    map.addEnvironment();
    return map;
}

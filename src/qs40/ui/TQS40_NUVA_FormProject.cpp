// The ZYL 36 window: project files (*.qel).
#include "TQS40_NUVA_Form.h"

#include "AppState.h"
#include "NuvaProjectFile.h"
#include "Prompts.h"
#include "SavedFile.h"
#include "TCSchaltpunkt.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

Prompts::FileDialog projectDialog(const QString& title) {
    Prompts::FileDialog d;
    d.title = title;
    d.filter = QCoreApplication::translate("TQS40_NUVA_Form", "Einstellungen (*.qel)|*.qel");
    d.defaultSuffix = QStringLiteral("qel");
    return d;
}

} // namespace

void TQS40_NUVA_Form::SichernButtonClick() {
    const auto path = m_app.prompts.saveFileName(this, projectDialog(tr("Einstellungen speichern")));
    if (!path)
        return;
    NuvaProjectValues values;
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        values.points[k] = m_points[k]->SP1();
    values.hysteresis = Hysteresis;
    const std::string text = NuvaProjectFileText(values, m_app.EnglishUi);
    QSaveFile file(*path);
    if (!file.open(QIODevice::WriteOnly) || !SavedFile::writeAndCommit(file, text))
        error(tr("Datei kann nicht geschrieben werden:") + QStringLiteral("\n") + *path);
}

void TQS40_NUVA_Form::OeffnenButtonClick() {
    const auto path = m_app.prompts.openFileName(this, projectDialog(tr("Einstellungen laden")));
    if (!path)
        return;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly)) {
        error(tr("Datei kann nicht gelesen werden:") + QStringLiteral("\n") + *path);
        return;
    }
    const QByteArray bytes = file.readAll();
    const NuvaProjectLoad load = NuvaReadProjectFile(std::string_view(bytes.constData(), bytes.size()));
    if (load.status == NuvaProjectLoad::Status::NotQs40File) {
        error(tr("keine QS40 Datei"));
        return;
    }
    // What was read before a bad line stays set; nothing goes to the sensor.
    m_loading = true;
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        if (load.points[k])
            setPoint(k, *load.points[k]);
    std::array<long long, kNuvaHysteresisCount> h = Hysteresis;
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k)
        if (load.hysteresis[k])
            h[k] = *load.hysteresis[k];
    showHysteresis(h);
    m_loading = false;
    SettingsStored = false;
    if (load.status == NuvaProjectLoad::Status::BadNumber)
        error(tr("Fehler in Datei") +
              QStringLiteral(" %1, %2 %3").arg(QFileInfo(*path).fileName(), tr("Zeile")).arg(load.badLine));
}

// The ZYL24 window's project files (".qel"): the settings shown in the controls, saved as text and
// loaded back into the controls. Neither talks to the sensor; loaded settings are sent with the
// "set" buttons or the write-all command.
#include "TQD20_Form.h"

#include "AppState.h"
#include "Prompts.h"
#include "Qd20ProjectFile.h"
#include "TCSchaltpunkt.h"
#include "TCSlide.h"

#include <QFile>
#include <QFileInfo>

namespace {

Prompts::FileDialog projectDialog(const QString& title, const QString& filter) {
    Prompts::FileDialog dialog;
    dialog.title = title;
    dialog.filter = filter;
    dialog.defaultSuffix = QStringLiteral("qel");
    return dialog;
}

} // namespace

void TQD20_Form::SichernButtonClick() {
    const auto path = m_app.prompts.saveFileName(
        this, projectDialog(QStringLiteral("Daten speichern"), tr("Einstellungen (*.qel)|*.qel")));
    if (path)
        writeUserFile(*path, Qd20ProjectFile::serialize(settingsFromControls()));
}

// Loaded values go through the controls the way the user's own edits do: points into their
// editors (limited, snapped, kept in order by the editors' handlers), slider positions without
// the sliders' change events. The four screen updates at the end bring the editors' kind and the
// analog fields in line with what was loaded.
void TQD20_Form::OeffnenButtonClick() {
    const auto path = m_app.prompts.openFileName(
        this, projectDialog(QStringLiteral("Parameter laden"), tr("Einstellungen (*.qel)|*.qel")));
    if (!path)
        return;
    QFile file(*path);
    // Opening a pipe or a device would wait for whoever writes to it, and the window with it.
    const QFileInfo info(*path);
    const bool regular = !info.exists() || info.isFile();
    if (!regular || !file.open(QIODevice::ReadOnly)) {
        m_app.prompts.message(this, Prompts::Icon::Error,
                              tr("Datei kann nicht gelesen werden:\n%1\n%2")
                                  .arg(*path, regular ? file.errorString() : tr("keine gewöhnliche Datei")),
                              Prompts::Ok);
        return;
    }
    // One byte beyond the limit is enough to know the file is too large.
    const QByteArray content = file.read(static_cast<qint64>(Qd20ProjectFile::kMaxFileBytes) + 1);
    const auto result = Qd20ProjectFile::parse(std::string_view(content.constData(), content.size()));
    using Status = Qd20ProjectFile::LoadStatus;
    if (result.status == Status::NoKeyFound || result.status == Status::TooLarge) {
        m_app.prompts.message(this, Prompts::Icon::Error,
                              tr("Die Datei enthält keine Sensoreinstellungen:\n%1").arg(*path), Prompts::Ok);
        return;
    }

    using Target = Qd20ProjectFile::Target;
    for (const auto& a : result.assignments) {
        const auto mm = static_cast<float>(a.value);
        switch (a.target) {
        case Target::Q1First:
            SP_Q1->SetPos1Value(mm);
            break;
        case Target::Q1Second:
            SP_Q1->SetPos2Value(mm);
            break;
        case Target::Q2First:
            SP_Q2->SetPos1Value(mm);
            break;
        case Target::Q2Second:
            SP_Q2->SetPos2Value(mm);
            break;
        case Target::AnalogFirst:
            SP_QA->SetPos1Value(mm);
            break;
        case Target::AnalogSecond:
            SP_QA->SetPos2Value(mm);
            break;
        case Target::PulseStretchQ1:
            IVQ1Slide->SetPosValue(a.value);
            break;
        case Target::PulseStretchQ2:
            IVQ2Slide->SetPosValue(a.value);
            break;
        case Target::NormallyClosedQ1:
            OSQ1_Slide->SetPosValue(a.value);
            break;
        case Target::NormallyClosedQ2:
            OSQ2_Slide->SetPosValue(a.value);
            break;
        case Target::KeyLock:
            TVSlide->SetPosValue(a.value);
            break;
        case Target::Averaging:
            BWSlide->SetPosValue(a.value);
            break;
        case Target::FunctionQ1:
            FktQ1Slide->SetPosValue(a.value);
            break;
        case Target::FunctionQ2:
            FktQ2Slide->SetPosValue(a.value);
            break;
        }
    }
    FktQ1SlideChange();
    FktQ2SlideChange();
    SP_QAChangeSP1();
    SP_QAChangeSP2();
    if (result.status == Status::MissingValueLine || result.status == Status::BadValue)
        m_app.prompts.message(this, Prompts::Icon::Error, tr("Fehler in Datei"), Prompts::Ok);
}

// The QS40 window's project files (".spi") and its parameter list. Neither talks to the sensor:
// what they change is sent with "setzen" or "Parameter kopieren".
#include "TQS40_Form.h"

#include "AppState.h"
#include "Prompts.h"
#include "Qs40FormDrawing.h"
#include "SavedFile.h"
#include "SpiFile.h"
#include "TSensorParameterDialog.h"

#include <QAction>
#include <QDialog>
#include <QSaveFile>

#include <filesystem>

namespace {

std::filesystem::path filePath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

} // namespace

void TQS40_Form::SichernMenuClick() {
    Prompts::FileDialog dialog;
    dialog.title = tr("Parameter speichern");
    dialog.filter = fileFilter();
    dialog.defaultSuffix = QStringLiteral("spi");
    const auto path = m_app.prompts.saveFileName(this, dialog);
    if (!path)
        return;
    // Written beside and put in place only when complete: a failed save keeps the old file.
    QSaveFile file(*path);
    if (!SpiFile::mayWrite(filePath(*path)) || !file.open(QIODevice::WriteOnly)) {
        reportError(cannotOpenFileText(), Prompts::Ok);
        return;
    }
    const std::string text = m_session.projectFile();
    if (!SavedFile::writeAndCommit(file, text)) {
        reportError(saveFailedText().arg(*path), Prompts::Ok);
        return;
    }
    zeichne_all();
}

void TQS40_Form::OeffnenMenuClick() {
    Prompts::FileDialog dialog;
    dialog.title = tr("Parameter laden");
    // Until a language is chosen the dialog also offers the handheld's motfiles.
    dialog.filter =
        m_languageChosen ? fileFilter() : QStringLiteral("Sensordateien(*.spi)|*.spi|SWdateien(*.mot)|*.mot");
    dialog.defaultSuffix = QStringLiteral("spi");
    const auto path = m_app.prompts.openFileName(this, dialog);
    if (!path)
        return;
    const auto read = SpiFile::readFile(filePath(*path));
    if (read.error != SpiFile::ReadError::None) {
        reportError(cannotOpenFileText(), Prompts::Ok);
        return;
    }
    const auto outcome = m_session.load(SpiFile::parse(read.content), [this] {
        listMessage(otherTypeText());
        return m_app.prompts.message(this, Prompts::Icon::Information, otherTypeText(),
                                     Prompts::Ok | Prompts::Abort) == Prompts::Ok;
    });
    if (outcome.disconnected) {
        stopPolling();
        setConnectedControls(false);
        setHandheldEnabled(false);
        showPortText();
    } else if (m_service.pendingDownload() && outcome.result != Qs40Session::Load::UnknownType) {
        // The file's values replace those a cut-off download held: it has to start afresh.
        m_service.forget();
        setServiceEnabled(m_session.connected());
    }
    showSensorText();
    switch (outcome.result) {
    case Qs40Session::Load::UnknownType:
        reportError(unknownSensorText(), Prompts::Ok);
        return;
    case Qs40Session::Load::Aborted:
        return;
    case Qs40Session::Load::Incomplete:
        // What was read is in place: shown, so that nothing unseen is written later.
        zeichne_all();
        m_app.prompts.message(this, Prompts::Icon::Error, fileErrorText(), Prompts::Ok);
        return;
    case Qs40Session::Load::Loaded:
        setHandheldEnabled(true);
        P_draw_Q40->setInitialised(m_session.initialised());
        SetButtons();
        zeichne_all();
        return;
    }
}

void TQS40_Form::ParalisteButtonClick() {
    if (!m_list)
        return;
    const std::uint8_t remembered = m_app.SensorType;
    P_draw_Q40->setSuppressPaint(true);
    for (int i = 0; i < TSensorParameterDialog::kRows; ++i)
        m_list->setRow(i, m_params.SwitchL[static_cast<std::size_t>(i + 1)],
                       m_params.SwitchH[static_cast<std::size_t>(i + 1)]);
    m_list->setLimits(m_params.LimitEN, m_params.LimitEF, m_params.LimitDT, m_params.LimitND);
    m_list->setPointCount(m_session.geometry().PointCount());
    const int result = m_list->exec();
    P_draw_Q40->setSuppressPaint(false);
    if (result == QDialog::Accepted) {
        for (int i = 0; i < TSensorParameterDialog::kRows; ++i) {
            m_params.SwitchH[static_cast<std::size_t>(i + 1)] = m_list->switchH(i);
            m_params.SwitchL[static_cast<std::size_t>(i + 1)] = m_list->switchL(i);
        }
        m_params.LimitEN = m_list->limitEN();
        m_params.LimitEF = m_list->limitEF();
        m_params.LimitDT = m_list->limitDT();
        m_params.LimitND = m_list->limitND();
    } else {
        listMessage(tr("Manuelle Eingabe abgebrochen"));
        m_app.SensorType = remembered;
    }
    zeichne_all();
}

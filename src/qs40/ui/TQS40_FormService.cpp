// The QS40 window's service functions: the firmware update of the connected sensor (complete,
// or reduced for the MNTB variant), its user mode, and the transfers to and from the handheld.
// They are meant for service staff: the menu and "fromPalm" show only with expert access.
#include "TQS40_Form.h"

#include "AppState.h"
#include "LinkTexts.h"
#include "Prompts.h"
#include "TFortschritt.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include <optional>

namespace {

// An S-record image of the largest loader window is well under 1 MiB; a file much larger than
// that is no image and is not read into memory.
constexpr qint64 kMaxServiceFileBytes = 4 * 1024 * 1024;

std::optional<QByteArray> readServiceFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxServiceFileBytes)
        return std::nullopt;
    return file.readAll();
}

std::span<const std::uint8_t> bytesOf(const QByteArray& data) {
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())};
}

// Between the exchanges of an update that are not pages (reading and writing the word table):
// the windows paint, and input waits for the modal progress dialog, which takes none.
class KeepPainting : public Progress {
public:
    void setMaximum(int) override {}
    void reset() override {}
    void advance(int) override { QCoreApplication::processEvents(); }
    bool stopRequested() const override { return false; }
};

// The update's own texts are the same in every language.
const QString kUpdateDone = QStringLiteral("programmierung erfolgreich");
const QString kUpdateFailed = QStringLiteral("programmierung gescheitert");

} // namespace

void TQS40_Form::buildServiceMenu() {
    spezial1 = menuBar()->addMenu(QStringLiteral("spezial"));
    spezial1->setObjectName(QStringLiteral("spezial1"));
    const auto item = [this](const char* name, const QString& text) {
        auto* action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        spezial1->addAction(action);
        return action;
    };
    SWDownload = item("SWDownload", QStringLiteral("SW Download"));
    SWDownloadMNTB1 = item("SWDownloadMNTB1", QStringLiteral("SW Download MNTB"));
    SUM = item("SUM", QStringLiteral("SetUserMode"));
    spezial1->addSeparator();
    transferieremotfile1 = item("transferieremotfile1", QStringLiteral("transferiere motfile"));
    connect(SWDownload, &QAction::triggered, this, &TQS40_Form::SWDownloadClick);
    connect(SWDownloadMNTB1, &QAction::triggered, this, &TQS40_Form::SWDownloadMNTB1Click);
    connect(SUM, &QAction::triggered, this, &TQS40_Form::SUMClick);
    connect(transferieremotfile1, &QAction::triggered, this, &TQS40_Form::transferieremotfile1Click);
    connect(topalm, &QAction::triggered, this, &TQS40_Form::PalmButtonClick);
    connect(frompalm, &QAction::triggered, this, &TQS40_Form::frompalmClick);

    spezial1->menuAction()->setVisible(m_app.ExpertAccess);
    frompalm->setVisible(m_app.ExpertAccess);
}

void TQS40_Form::setServiceEnabled(bool connected) {
    for (QAction* a : {SWDownload, SWDownloadMNTB1, SUM})
        a->setEnabled(connected);
    // No search finds a sensor in its loader: the entry of a download cut off by a pulled
    // adapter is the one way to finish it.
    if (const auto& pending = m_service.pendingDownload())
        (pending->reduced ? SWDownloadMNTB1 : SWDownload)->setEnabled(true);
}

bool TQS40_Form::reopenForPendingDownload() {
    const auto& pending = m_service.pendingDownload();
    if (!pending)
        return true;
    if (const auto why = m_session.reopen(pending->port, pending->settings, pending->timeouts)) {
        const QString text = kUpdateFailed + QLatin1Char('\n') + LinkTexts::reasonText(*why, m_app.EnglishUi);
        reportService(text, text);
        return false;
    }
    showConnectedControls(true);
    showPortText();
    return true;
}

QString TQS40_Form::pendingDownloadText() const {
    return tr("Stecken Sie es wieder ein und wählen Sie dasselbe Update noch einmal, ohne neu zu suchen: "
              "es beginnt von vorn und schreibt die zuvor gelesenen Werte zurück.");
}

void TQS40_Form::SWDownloadClick() {
    runFirmwareUpdate(false);
}

void TQS40_Form::SWDownloadMNTB1Click() {
    runFirmwareUpdate(true);
}

void TQS40_Form::runFirmwareUpdate(bool reduced) {
    stopPolling();
    Prompts::FileDialog dialog;
    dialog.title = tr("Parameter laden");
    dialog.filter = serviceFileFilter();
    const auto path = m_app.prompts.openFileName(this, dialog);
    // A cancelled choice is no image: the update ends before anything is sent.
    const std::optional<QByteArray> file = path ? readServiceFile(*path) : std::nullopt;
    std::optional<std::span<const std::uint8_t>> image;
    if (file)
        image = bytesOf(*file);
    if (image && !reopenForPendingDownload())
        return;

    beginTransferProgress();
    KeepPainting between;
    const Qs40UpdateResult result = m_service.firmwareUpdate(
        image, reduced, [this](std::size_t done, std::size_t pages) { showTransferPage(done, pages); },
        &between);
    endTransferProgress();

    if (lineLost())
        return;
    if (result.code == 0) {
        reportService(kUpdateDone, kUpdateDone);
        return;
    }
    const QString why = QString::fromStdString(m_service.lineError());
    const QString box = why.isEmpty() ? kUpdateFailed : kUpdateFailed + QLatin1Char('\n') + why;
    reportService(box, reduced ? kUpdateFailed + QStringLiteral(": %1").arg(result.code) : kUpdateFailed);
}

void TQS40_Form::SUMClick() {
    const bool ok = m_service.setUserMode();
    if (lineLost())
        return;
    const QString text =
        ok ? QStringLiteral("Set User Mode erfolgreich") : QStringLiteral("Set User Mode gescheitert");
    reportService(text, text);
}

void TQS40_Form::reportService(const QString& boxText, const QString& listLine) {
    listMessage(listLine);
    m_app.prompts.message(this, Prompts::Icon::Error, boxText, Prompts::Ok);
}

void TQS40_Form::PalmButtonClick() {
    reportHandheld(m_service.sendToHandheld());
}

void TQS40_Form::frompalmClick() {
    reportHandheld(m_service.readFromHandheld());
}

void TQS40_Form::transferieremotfile1Click() {
    if (!m_service.handheldOpen()) {
        reportHandheld(Qs40ServiceActions::Handheld::NotOpen);
        return;
    }
    Prompts::FileDialog dialog;
    dialog.title = tr("Parameter laden");
    dialog.filter = serviceFileFilter();
    const auto path = m_app.prompts.openFileName(this, dialog);
    if (!path)
        return;
    const std::optional<QByteArray> file = readServiceFile(*path);
    if (!file) {
        reportError(cannotOpenFileText(), Prompts::Ok);
        return;
    }
    const auto result = m_service.sendMotFile(bytesOf(*file));
    if (result != Qs40ServiceActions::Handheld::Done)
        reportHandheld(result);
}

void TQS40_Form::reportHandheld(Qs40ServiceActions::Handheld result) {
    if (lineLost())
        return;
    switch (result) {
    case Qs40ServiceActions::Handheld::Done:
        SetButtons();
        zeichne_all();
        return;
    case Qs40ServiceActions::Handheld::NotOpen:
        reportError(palmNotOpenText(), Prompts::Ok);
        return;
    case Qs40ServiceActions::Handheld::Failed: {
        const QString why = QString::fromStdString(m_service.lineError());
        reportError(why.isEmpty() ? palmErrorText() : palmErrorText() + QLatin1Char('\n') + why, Prompts::Ok);
        return;
    }
    }
}

void TQS40_Form::beginTransferProgress() {
    TFortschritt* progress = m_app.progress;
    if (!progress)
        return;
    // A half-written image is worse than waiting: there is nothing to cancel. The dialog is
    // modal for the whole program, so the events let through between pages only paint.
    progress->BitBtn1->hide();
    progress->ProgressBar->setFormat(QString());
    progress->ProgressBar->setTextVisible(true);
    progress->setMaximum(1);
    progress->reset();
    progress->setWindowModality(Qt::ApplicationModal);
    progress->show();
    QCoreApplication::processEvents();
}

void TQS40_Form::showTransferPage(std::size_t done, std::size_t pages) {
    TFortschritt* progress = m_app.progress;
    if (!progress)
        return;
    progress->setMaximum(static_cast<int>(pages));
    progress->ProgressBar->setValue(static_cast<int>(done));
    progress->ProgressBar->setFormat(tr("Seite %1 von %2").arg(done).arg(pages));
    QCoreApplication::processEvents();
}

void TQS40_Form::endTransferProgress() {
    TFortschritt* progress = m_app.progress;
    if (!progress)
        return;
    progress->hide();
    progress->setWindowModality(Qt::NonModal);
    progress->ProgressBar->setTextVisible(false);
    progress->ProgressBar->resetFormat();
    progress->BitBtn1->show();
}

QString TQS40_Form::palmNotOpenText() const {
    return tr(
        "Keine Kommunikation mit Palm!\nPalm angeschlossen?\nPC-Connect aktiviert?\nHotSync geschlossen?");
}

QString TQS40_Form::palmErrorText() const {
    return tr("Fehler bei \nKommunikation mit Palm !");
}

QString TQS40_Form::serviceFileFilter() const {
    // Firmware images and motfiles are S-record files; the window's own files stay offered.
    return QStringLiteral("Sensordateien(*.spi)|*.spi|SWdateien(*.mot)|*.mot");
}

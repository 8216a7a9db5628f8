#include "TStartForm.h"

#include "AppState.h"
#include "Artwork.h"
#include "HelpWindow.h"
#include "Language.h"
#include "Prompts.h"
#include "Schnittstelle.h"
#include "SensorWindow.h"
#include "SettingsWarnings.h"
#include "TAboutBox.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <climits>
#include <optional>
#include <utility>

namespace {

const QString kOrganisation = QStringLiteral("qel");
const QString kApplication = QStringLiteral("Vantrisco");
const QString kEnglishValue = QStringLiteral("english");
const QString kSensorValue = QStringLiteral("Sensor");
const QString kPortValue = QStringLiteral("SerialComPort");
// Last COM number a start setting may name.
constexpr int kHighestPort = 20;
constexpr int kGlyphSize = 96;

QToolButton* makeFamilyButton(QWidget* parent, const char* name, const QString& glyph, const QString& caption) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    const QPixmap pixmap = Artwork::bitmap(glyph);
    if (!pixmap.isNull()) {
        button->setIcon(QIcon(pixmap));
        button->setIconSize(pixmap.size().boundedTo(QSize(kGlyphSize, kGlyphSize)));
    }
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    button->setMinimumSize(150, 130);
    button->setFocusPolicy(Qt::StrongFocus);
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    return button;
}

} // namespace

TStartForm::TStartForm(AppState& app, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), m_app(app) {
    setObjectName(QStringLiteral("StartForm"));
    // Only the first argument counts, and only in exactly this spelling.
    if (!arguments.isEmpty()) {
        m_app.ServiceAccess = arguments.front() == QLatin1String("kiesgrube");
        m_app.ExpertAccess = arguments.front() == QLatin1String("harzwolke");
    }

    auto* central = new QWidget(this);
    auto* top = new QFrame(central);
    top->setObjectName(QStringLiteral("TopPanel"));
    top->setFrameShape(QFrame::StyledPanel);
    Logo = new QLabel(top);
    Logo->setObjectName(QStringLiteral("Logo"));
    Logo->setPixmap(Artwork::bitmap(QStringLiteral("QEL")));
    EndeButton = new QToolButton(top);
    EndeButton->setObjectName(QStringLiteral("EndeButton"));
    EndeButton->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    EndeButton->setAutoRaise(true);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(6, 4, 6, 4);
    topLayout->addWidget(Logo);
    topLayout->addStretch();
    topLayout->addWidget(EndeButton, 0, Qt::AlignTop);

    Q20Button = makeFamilyButton(central, "Q20Button", QStringLiteral("QELBILD1"), QStringLiteral("ZYL 24"));
    QS40Button = makeFamilyButton(central, "QS40Button", QStringLiteral("QELBILD"), QStringLiteral("ZYL 36"));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(Q20Button);
    buttons->addWidget(QS40Button);
    QS40MntbButton =
        makeFamilyButton(central, "QS40MntbButton", QStringLiteral("QELBILD"), QStringLiteral("QS40"));
    QS40MntbButton->setVisible(m_app.ExpertAccess);
    buttons->addWidget(QS40MntbButton);

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(top);
    layout->addLayout(buttons, 1);
    setCentralWidget(central);

    DateiMenu = menuBar()->addMenu(QString());
    EndeMenu = DateiMenu->addAction(QString());
    EndeMenu->setObjectName(QStringLiteral("EndeMenu"));
    HilfeMenu = menuBar()->addMenu(QString());
    InhaltMenu = HilfeMenu->addAction(QString());
    InfoMenu = HilfeMenu->addAction(QStringLiteral("&Info"));
    LanguageMenu = menuBar()->addMenu(QString());
    GermanMenu = LanguageMenu->addAction(QStringLiteral("&deutsch"));
    EnglishMenu = LanguageMenu->addAction(QStringLiteral("&english"));
    auto* languages = new QActionGroup(this);
    for (QAction* a : {GermanMenu, EnglishMenu}) {
        a->setCheckable(true);
        languages->addAction(a);
    }
    GermanMenu->setChecked(!m_app.EnglishUi);
    EnglishMenu->setChecked(m_app.EnglishUi);

    SensorPanel = new QLabel(QStringLiteral("Sensor:"), this);
    SensorPanel->setFixedWidth(200);
    PortPanel = new QLabel(QStringLiteral("Port:"), this);
    PortPanel->setFixedWidth(100);
    statusBar()->addWidget(SensorPanel);
    statusBar()->addWidget(PortPanel);

    connect(Q20Button, &QToolButton::clicked, this, &TStartForm::Q20ButtonClick);
    connect(QS40Button, &QToolButton::clicked, this, &TStartForm::QS40ButtonClick);
    connect(QS40MntbButton, &QToolButton::clicked, this, &TStartForm::QS40MntbButtonClick);
    connect(EndeButton, &QToolButton::clicked, this, &TStartForm::EndeButtonClick);
    connect(EndeMenu, &QAction::triggered, this, &TStartForm::EndeButtonClick);
    connect(InhaltMenu, &QAction::triggered, this, &TStartForm::InhaltMenuClick);
    connect(InfoMenu, &QAction::triggered, this, &TStartForm::InfoMenuClick);
    connect(GermanMenu, &QAction::triggered, this, &TStartForm::GermanMenuClick);
    connect(EnglishMenu, &QAction::triggered, this, &TStartForm::EnglishMenuClick);
    auto* contextHelp = new QShortcut(QKeySequence::HelpContents, this);
    connect(contextHelp, &QShortcut::activated, this, [this] {
        if (m_app.help)
            m_app.help->showTopic(kHelpContext, m_app.EnglishUi);
    });

    setWindowTitle(QStringLiteral("ZYLConfig"));
    // Wide enough for both status panels.
    setMinimumWidth(SensorPanel->width() + PortPanel->width() + 40);
    retranslateUi();
    Q20Button->setFocus();
}

void TStartForm::setSensorWindows(SensorWindow* zyl24, SensorWindow* zyl36) {
    m_zyl24 = zyl24;
    m_zyl36 = zyl36;
}

bool TStartForm::isZyl24Code(std::uint8_t code) {
    return code == 1 || code == 2 || code == 10 || code == 11;
}

void TStartForm::ShowSensorWindow(int port, const QString& /*caption*/) {
    SensorWindow* window = nullptr;
    if (isZyl24Code(m_app.SensorType))
        window = m_zyl24;
    else if (m_app.SensorType == kCodeZyl36)
        window = m_zyl36;
    else if (m_app.SensorType == kCodeQs40 && m_app.ExpertAccess)
        window = m_qs40;
    // Other codes have no window of their own.
    if (!window)
        return;
    window->setPortNumber(port);
    window->showSensorWindow();
}

// A family window that is already open only comes to the front: it keeps its port, its sensor
// type and its connection.
bool TStartForm::raiseIfShown(SensorWindow* window) {
    const auto* widget = dynamic_cast<QWidget*>(window);
    if (!widget || !widget->isVisible())
        return false;
    window->showSensorWindow();
    return true;
}

void TStartForm::Q20ButtonClick() {
    if (raiseIfShown(m_zyl24))
        return;
    m_app.SensorType = kCodeZyl24;
    ShowSensorWindow(0);
}

void TStartForm::QS40ButtonClick() {
    if (raiseIfShown(m_zyl36))
        return;
    m_app.SensorType = kCodeZyl36;
    ShowSensorWindow(0);
}

void TStartForm::QS40MntbButtonClick() {
    m_app.SensorType = kCodeQs40;
    ShowSensorWindow(0);
}

void TStartForm::EndeButtonClick() {
    close();
}

void TStartForm::InfoMenuClick() {
    if (m_app.about)
        m_app.about->exec();
}

void TStartForm::InhaltMenuClick() {
    if (m_app.help)
        m_app.help->showIndex(m_app.EnglishUi);
}

void TStartForm::GermanMenuClick() {
    Language::setEnglish(m_app, false);
    GermanMenu->setChecked(true);
}

void TStartForm::EnglishMenuClick() {
    Language::setEnglish(m_app, true);
    EnglishMenu->setChecked(true);
}

void TStartForm::LoadStartSettings() {
    restoreLastRun();
    QStringList lines;
    for (const PortMapWarning& w : std::exchange(m_app.portMapWarnings, {}))
        lines << QString::fromStdString(w.text(m_app.EnglishUi));
    SettingsWarnings::show(m_app.prompts, this, lines + std::exchange(m_app.startWarnings, {}));
}

void TStartForm::restoreLastRun() {
    QSettings settings(kOrganisation, kApplication);
    if (!settings.contains(kEnglishValue) && !settings.contains(kSensorValue) && !settings.contains(kPortValue))
        return; // first run: nothing to restore

    // A value that is missing is skipped; one that is no number in its range is reported and
    // skipped, and what depends on it takes its default.
    auto readInt = [&](const QString& name, int min, int max) -> std::optional<int> {
        const QVariant v = settings.value(name);
        if (!v.isValid())
            return std::nullopt;
        bool ok = false;
        const int n = v.toInt(&ok);
        if (!ok || n < min || n > max) {
            m_app.startWarnings << SettingsWarnings::valueLine(name, v);
            return std::nullopt;
        }
        return n;
    };

    if (const auto english = readInt(kEnglishValue, INT_MIN, INT_MAX)) {
        if (*english != 0)
            EnglishMenuClick();
        else
            GermanMenuClick();
    }
    const auto sensor = readInt(kSensorValue, 0, 255);
    if (!sensor || *sensor == 0)
        return;
    m_app.SensorType = static_cast<std::uint8_t>(*sensor);
    // Without a usable port the family window opens without one and asks for it when connecting.
    const int port = readInt(kPortValue, 0, kHighestPort).value_or(0);
    ShowSensorWindow(port);
}

void TStartForm::SaveStartSettings() {
    QSettings settings(kOrganisation, kApplication);
    settings.setValue(kEnglishValue, m_app.EnglishUi ? 1 : 0);
    settings.setValue(kSensorValue, static_cast<int>(m_app.SensorType));
    // Only the ZYL24 window keeps its port for the next run.
    const int port = isZyl24Code(m_app.SensorType) && m_zyl24 ? m_zyl24->portNumber() : 0;
    settings.setValue(kPortValue, port);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        m_app.prompts.message(this, Prompts::Icon::Warning,
                              tr("Die Einstellungen konnten nicht gespeichert werden:\n%1")
                                  .arg(settings.fileName()),
                              Prompts::Ok);
}

void TStartForm::FormShow() {
    m_app.ProgramVersion = QCoreApplication::applicationVersion();
    if (m_app.ProgramVersion.isEmpty())
        m_app.ProgramVersion = QStringLiteral(ZYL_PROGRAM_VERSION);
}

void TStartForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_firstPaintPending)
        return;
    m_firstPaintPending = false;
    FormShow();
    // Restore the last run once the start window is up, so the family window opens over it.
    QMetaObject::invokeMethod(this, &TStartForm::LoadStartSettings, Qt::QueuedConnection);
}

bool TStartForm::closeSensorWindows() {
    for (SensorWindow* sensorWindow : {m_zyl24, m_zyl36, m_qs40}) {
        auto* widget = dynamic_cast<QWidget*>(sensorWindow);
        if (widget && widget->isVisible() && !widget->close())
            return false;
    }
    return true;
}

void TStartForm::closeEvent(QCloseEvent* event) {
    if (!closeSensorWindows()) {
        event->ignore();
        return;
    }
    SaveStartSettings();
    for (int com = 1; com <= 19; ++com)
        if (m_app.ports.isOpen(com))
            m_app.ports.ClosePort(com);
    event->accept();
    QCoreApplication::quit();
}

void TStartForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QMainWindow::changeEvent(event);
}

void TStartForm::retranslateUi() {
    DateiMenu->setTitle(tr("Datei"));
    EndeMenu->setText(tr("&Beenden"));
    EndeButton->setToolTip(tr("Programm beenden"));
    HilfeMenu->setTitle(tr("&Hilfe"));
    InhaltMenu->setText(tr("I&nhalt"));
    LanguageMenu->setTitle(tr("&language"));
    // Another window may have switched the language.
    GermanMenu->setChecked(!m_app.EnglishUi);
    EnglishMenu->setChecked(m_app.EnglishUi);
}

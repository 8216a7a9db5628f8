#include "TQS40_Form.h"

#include "AppState.h"
#include "Artwork.h"
#include "Prompts.h"
#include "Qs40FormDrawing.h"
#include "Qs40FormPictures.h"
#include "Schnittstelle.h"
#include "TAboutBox.h"
#include "TFortschritt.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int kPollMs = 200;

QAction* namedAction(QObject* parent, const char* name) {
    auto* action = new QAction(parent);
    action->setObjectName(QLatin1String(name));
    return action;
}

QSlider* bar(QWidget* parent, const char* name, int maximum) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(name));
    slider->setRange(0, maximum);
    // A display: the sensor moves it, not the user.
    slider->setEnabled(false);
    return slider;
}

} // namespace

TQS40_Form::TQS40_Form(AppState& app, TSensorParameterDialog* list, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_params(app.Qs40Parameters),
      m_session(app.ports, app.TypePort, app.SensorType, app.Qs40Parameters),
      m_service(app.ports, app.TypePort, app.SensorType, app.Qs40Parameters), m_list(list) {
    setObjectName(QStringLiteral("QS40_Form"));
    setWindowTitle(QStringLiteral("Vantrisco QS40"));
    TimerLesen = new QTimer(this);
    TimerLesen->setObjectName(QStringLiteral("TimerLesen"));
    TimerLesen->setInterval(kPollMs);
    connect(TimerLesen, &QTimer::timeout, this, &TQS40_Form::TimerLesenTimer);
    for (int i = 0; i < 4; ++i)
        m_connectorPictures[static_cast<std::size_t>(i)] = Qs40FormPictures::connector(i);
    m_ledPictures = {Qs40FormPictures::led(false), Qs40FormPictures::led(true)};
    buildMenus();
    buildServiceMenu();
    buildPanels();
    retranslateUi();
    setConnectedControls(false);
    setHandheldEnabled(false);
}

TQS40_Form::~TQS40_Form() = default;

void TQS40_Form::buildMenus() {
    DateiMenu = menuBar()->addMenu(QString());
    OeffnenMenu = namedAction(this, "OeffnenMenu");
    SichernMenu = namedAction(this, "SichernMenu");
    BeendenMenu = namedAction(this, "BeendenMenu");
    DateiMenu->addActions({OeffnenMenu, SichernMenu});
    DateiMenu->addSeparator();
    DateiMenu->addAction(BeendenMenu);

    SensorMenu = menuBar()->addMenu(QString());
    ManuellMenu = namedAction(this, "ManuellMenu");
    SuchenMenu = namedAction(this, "SuchenMenu");
    SensorMenu->addActions({ManuellMenu, SuchenMenu});

    DatenMenu = menuBar()->addMenu(QString());
    DatenMenu->setObjectName(QStringLiteral("DatenMenu"));
    LesenMenu = namedAction(this, "LesenMenu");
    SetzenMenu = namedAction(this, "SetzenMenu");
    Parameterkopieren1 = namedAction(this, "Parameterkopieren1");
    MesswerteMenu = namedAction(this, "MesswerteMenu");
    lesedauernd = namedAction(this, "lesedauernd");
    lesedauernd->setCheckable(true);
    lesedauernd->setChecked(true);
    DatenMenu->addActions({LesenMenu, SetzenMenu, Parameterkopieren1});
    DatenMenu->addSeparator();
    DatenMenu->addActions({MesswerteMenu, lesedauernd});

    HilfeMenu = menuBar()->addMenu(QString());
    InfoMenu = namedAction(this, "InfoMenu");
    InfoMenu->setText(QStringLiteral("&Info"));
    Fehlermeldungen = namedAction(this, "Fehlermeldungen");
    Fehlermeldungen->setCheckable(true);
    HilfeMenu->addActions({InfoMenu, Fehlermeldungen});

    LanguageMenu = menuBar()->addMenu(QString());
    EnglishMenu = namedAction(this, "EnglishMenu");
    GermanMenu = namedAction(this, "GermanMenu");
    LanguageMenu->addActions({EnglishMenu, GermanMenu});

    ToolBar = addToolBar(QStringLiteral("QS40"));
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    OeffnenButton = namedAction(this, "OeffnenButton");
    SichernButton = namedAction(this, "SichernButton");
    SuchenButton = namedAction(this, "SuchenButton");
    LesenButton = namedAction(this, "LesenButton");
    SetzenButton = namedAction(this, "SetzenButton");
    StartButton = namedAction(this, "StartButton");
    StartButton->setIcon(Artwork::bitmap(QStringLiteral("GO")));
    ParalisteButton = namedAction(this, "ParalisteButton");
    topalm = namedAction(this, "topalm");
    topalm->setText(QStringLiteral("toPalm"));
    frompalm = namedAction(this, "frompalm");
    frompalm->setText(QStringLiteral("fromPalm"));
    EndeButton = namedAction(this, "EndeButton");
    ToolBar->addActions({OeffnenButton, SichernButton, SuchenButton, LesenButton, SetzenButton, StartButton,
                         ParalisteButton, topalm, frompalm, EndeButton});

    connect(OeffnenMenu, &QAction::triggered, this, &TQS40_Form::OeffnenMenuClick);
    connect(OeffnenButton, &QAction::triggered, this, &TQS40_Form::OeffnenMenuClick);
    connect(SichernMenu, &QAction::triggered, this, &TQS40_Form::SichernMenuClick);
    connect(SichernButton, &QAction::triggered, this, &TQS40_Form::SichernMenuClick);
    connect(BeendenMenu, &QAction::triggered, this, &TQS40_Form::EndeButtonClick);
    connect(EndeButton, &QAction::triggered, this, &TQS40_Form::EndeButtonClick);
    connect(ManuellMenu, &QAction::triggered, this, &TQS40_Form::ManuellMenuClick);
    connect(SuchenMenu, &QAction::triggered, this, &TQS40_Form::SuchenMenuClick);
    connect(SuchenButton, &QAction::triggered, this, &TQS40_Form::SuchenMenuClick);
    connect(LesenMenu, &QAction::triggered, this, &TQS40_Form::LesenButtonClick);
    connect(LesenButton, &QAction::triggered, this, &TQS40_Form::LesenButtonClick);
    connect(SetzenMenu, &QAction::triggered, this, &TQS40_Form::SetzenButtonClick);
    connect(SetzenButton, &QAction::triggered, this, &TQS40_Form::SetzenButtonClick);
    connect(Parameterkopieren1, &QAction::triggered, this, &TQS40_Form::Parameterkopieren1Click);
    connect(MesswerteMenu, &QAction::triggered, this, &TQS40_Form::StartButtonClick);
    connect(StartButton, &QAction::triggered, this, &TQS40_Form::StartButtonClick);
    connect(ParalisteButton, &QAction::triggered, this, &TQS40_Form::ParalisteButtonClick);
    connect(InfoMenu, &QAction::triggered, this, &TQS40_Form::InfoMenuClick);
    connect(Fehlermeldungen, &QAction::triggered, this, &TQS40_Form::FehlermeldungenClick);
    connect(EnglishMenu, &QAction::triggered, this, &TQS40_Form::EnglishMenuClick);
    connect(GermanMenu, &QAction::triggered, this, &TQS40_Form::GermanMenuClick);
}

void TQS40_Form::buildPanels() {
    auto* central = new QWidget(this);
    P_draw_Q40 = new Qs40FormDrawing(m_session.geometry(), m_session.switchL(), m_session.switchH(),
                                     m_session.commonHysteresis(), central);

    FehlerMeldung = new QPlainTextEdit(central);
    FehlerMeldung->setObjectName(QStringLiteral("FehlerMeldung"));
    FehlerMeldung->setReadOnly(true);
    FehlerMeldung->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    FehlerMeldung->setFixedHeight(110);
    FehlerMeldung->setContextMenuPolicy(Qt::CustomContextMenu);
    FehlerPopup = new QMenu(this);
    clearFehler = namedAction(this, "clearFehler");
    FehlerPopup->addAction(clearFehler);
    connect(clearFehler, &QAction::triggered, this, &TQS40_Form::clearFehlerClick);
    connect(FehlerMeldung, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { FehlerPopup->popup(FehlerMeldung->mapToGlobal(at)); });

    GBSchaltzustand = new QGroupBox(central);
    auto* states = new QGridLayout(GBSchaltzustand);
    m_nearHead = new QLabel(GBSchaltzustand);
    m_farHead = new QLabel(GBSchaltzustand);
    states->addWidget(m_nearHead, 0, 1, Qt::AlignCenter);
    states->addWidget(m_farHead, 0, 2, Qt::AlignCenter);
    const char* ledNames[] = {"nah_1", "fern_1", "nah_2", "fern_2"};
    for (int i = 0; i < 4; ++i) {
        auto* led = new QLabel(GBSchaltzustand);
        led->setObjectName(QLatin1String(ledNames[i]));
        m_leds[static_cast<std::size_t>(i)] = led;
        states->addWidget(led, 1 + i / 2, 1 + i % 2, Qt::AlignCenter);
    }
    states->addWidget(new QLabel(QStringLiteral("1"), GBSchaltzustand), 1, 0);
    states->addWidget(new QLabel(QStringLiteral("2"), GBSchaltzustand), 2, 0);

    GBAbstand = new QGroupBox(central);
    AbstandsBalken = bar(GBAbstand, "AbstandsBalken", static_cast<int>(m_session.geometry().RangeMax()));
    AbstandsBalken->setTickPosition(QSlider::TicksBelow);
    AbstandsBalken->setTickInterval(1000);
    AbstandsText = new QLabel(GBAbstand);
    AbstandsText->setObjectName(QStringLiteral("AbstandsText"));
    auto* distance = new QVBoxLayout(GBAbstand);
    distance->addWidget(AbstandsBalken);
    distance->addWidget(AbstandsText, 0, Qt::AlignHCenter);

    GBReserve = new QGroupBox(central);
    ReserveBalken = bar(GBReserve, "ReserveBalken", 100);
    ReserveText = new QLabel(GBReserve);
    ReserveText->setObjectName(QStringLiteral("ReserveText"));
    auto* reserve = new QVBoxLayout(GBReserve);
    reserve->addWidget(ReserveBalken);
    reserve->addWidget(ReserveText, 0, Qt::AlignHCenter);

    PPinbelegung = new QGroupBox(central);
    PPinbelegung->setObjectName(QStringLiteral("PPinbelegung"));
    Stecker_bild = new QLabel(PPinbelegung);
    Stecker_bild->setObjectName(QStringLiteral("Stecker_bild"));
    Stecker_bild->setPixmap(m_connectorPictures[0]);
    auto* pinList = new QVBoxLayout;
    pinList->setSpacing(1);
    for (int pin = 1; pin <= 8; ++pin) {
        auto* label = new QLabel(PPinbelegung);
        label->setObjectName(QStringLiteral("LPin%1").arg(pin));
        label->setAutoFillBackground(true);
        m_pins[static_cast<std::size_t>(pin - 1)] = label;
        pinList->addWidget(label);
    }
    auto* pins = new QHBoxLayout(PPinbelegung);
    pins->addWidget(Stecker_bild, 0, Qt::AlignTop);
    pins->addLayout(pinList);

    auto* left = new QVBoxLayout;
    left->addWidget(P_draw_Q40);
    left->addWidget(FehlerMeldung);
    auto* right = new QVBoxLayout;
    right->addWidget(GBSchaltzustand);
    right->addWidget(GBAbstand);
    right->addWidget(GBReserve);
    right->addWidget(PPinbelegung);
    right->addStretch();
    auto* layout = new QHBoxLayout(central);
    layout->addLayout(left);
    layout->addLayout(right);
    setCentralWidget(central);

    m_sensorPanel = new QLabel(this);
    m_sensorPanel->setFixedWidth(200);
    m_sensorPanel->setObjectName(QStringLiteral("SensorPanel"));
    m_portPanel = new QLabel(QStringLiteral("Port:"), this);
    m_portPanel->setFixedWidth(100);
    m_portPanel->setObjectName(QStringLiteral("PortPanel"));
    m_statusPanel = new QLabel(QStringLiteral("Status"), this);
    m_statusPanel->setFixedWidth(150);
    m_statusPanel->setObjectName(QStringLiteral("StatusPanel"));
    statusBar()->addWidget(m_sensorPanel);
    statusBar()->addWidget(m_portPanel);
    statusBar()->addWidget(m_statusPanel);
}

void TQS40_Form::showSensorWindow() {
    show();
    raise();
    activateWindow();
}

void TQS40_Form::showEvent(QShowEvent* event) {
    // Restoring a minimised window is no new showing.
    if (!event->spontaneous())
        FormShow();
    QMainWindow::showEvent(event);
}

void TQS40_Form::FormShow() {
    P_draw_Q40->setSuppressPaint(false);
    // Until the first measurement: row 1 dark, row 2 lit.
    for (std::size_t i = 0; i < m_leds.size(); ++i) {
        m_shownLeds[i] = i < 2 ? 0 : 1;
        m_leds[i]->setPixmap(m_ledPictures[static_cast<std::size_t>(m_shownLeds[i])]);
    }
    AbstandsText->setText(QStringLiteral("%1 mm").arg(AbstandsBalken->value()));
    ReserveText->setText(QStringLiteral("%1 %").arg(ReserveBalken->value()));
    if (m_session.SetSensor()) {
        P_draw_Q40->setInitialised(true);
        SetButtons();
        zeichne_all();
    }
    showSensorText();
    StartButton->setEnabled(m_session.connected());
}

void TQS40_Form::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TQS40_Form::FormClose() {
    stopPolling();
    m_session.disconnect();
    setConnectedControls(false);
    showPortText();
}

void TQS40_Form::EndeButtonClick() {
    close();
}

void TQS40_Form::InfoMenuClick() {
    if (m_app.about)
        m_app.about->exec();
}

void TQS40_Form::FehlermeldungenClick() {
    // The item starts without its tick and the list visible: ticking it shows the list.
    FehlerMeldung->setVisible(Fehlermeldungen->isChecked());
}

void TQS40_Form::clearFehlerClick() {
    FehlerMeldung->clear();
}

void TQS40_Form::SetButtons() {
    if (!m_session.initialised())
        return;
    Stecker_bild->setPixmap(m_connectorPictures[0]);
    m_shownConnector = 0;
    AbstandsBalken->setMaximum(static_cast<int>(m_session.geometry().RangeMax()));
    P_draw_Q40->SetButtons();
}

void TQS40_Form::zeichne_all() {
    P_draw_Q40->zeichne_all();
}

void TQS40_Form::setConnectedControls(bool connected) {
    // A new connection may be another sensor: what an earlier update held is not for it.
    m_service.forget();
    showConnectedControls(connected);
}

void TQS40_Form::showConnectedControls(bool connected) {
    for (QAction* a :
         {LesenButton, SetzenButton, StartButton, LesenMenu, SetzenMenu, Parameterkopieren1, MesswerteMenu})
        a->setEnabled(connected);
    DatenMenu->setEnabled(connected);
    DatenMenu->menuAction()->setEnabled(connected);
    setServiceEnabled(connected);
}

void TQS40_Form::setHandheldEnabled(bool on) {
    topalm->setEnabled(on);
    frompalm->setEnabled(on);
}

void TQS40_Form::stopPolling() {
    TimerLesen->stop();
    m_running = false;
    StartButton->setIcon(Artwork::bitmap(QStringLiteral("GO")));
}

void TQS40_Form::showSensorText() {
    const std::string name = Qs40Session::sensorName(m_app.SensorType);
    m_sensorPanel->setText(name.empty() ? tr("Sensor: keiner")
                                        : QStringLiteral("Sensor: ") + QString::fromStdString(name));
}

void TQS40_Form::showPortText() {
    m_portPanel->setText(m_session.connected() ? QStringLiteral("Port: COM%1").arg(m_session.PortNumber())
                                               : QStringLiteral("Port:"));
}

void TQS40_Form::showProgress() {
    if (!m_app.progress)
        return;
    // A search step, a read or a write of the four points each fill the bar about halfway.
    m_app.progress->setMaximum(100);
    m_app.progress->reset();
    m_app.progress->show();
}

void TQS40_Form::hideProgress() {
    if (m_app.progress)
        m_app.progress->hide();
}

void TQS40_Form::listMessage(const QString& text) {
    FehlerMeldung->appendPlainText(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

int TQS40_Form::reportError(const QString& text, int buttons) {
    listMessage(text);
    return m_app.prompts.message(this, Prompts::Icon::Error, text, buttons);
}

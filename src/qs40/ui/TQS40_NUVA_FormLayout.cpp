// The ZYL 36 window: widgets, menus and tool bar. Texts are set by the language code.
#include "TQS40_NUVA_Form.h"

#include "Artwork.h"
#include "TCSchaltpunkt.h"
#include "TCSlide.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr float kPointInitial = 1408.0f;
constexpr int kMaxScale = 6000;

const std::array<const char*, kNuvaFieldCount> kFieldGroupNames{"GBGerade", "GBRechts", "GBLinks",
                                                                "GBWeitwinkel"};
const std::array<const char*, kNuvaSwitchPointCount> kPointNames{
    "SPGN1", "SPGN2", "SPGF1", "SPGF2", "SPRN1", "SPRN2", "SPRF1", "SPRF2",
    "SPLN1", "SPLN2", "SPLF1", "SPLF2", "SPWN1", "SPWN2", "SPWF1", "SPWF2"};
const std::array<const char*, kNuvaHysteresisCount> kHysteresisNames{"EHn1", "EHn2", "EHf1", "EHf2"};

QAction* action(QObject* parent, const char* name, bool checkable = false) {
    auto* a = new QAction(parent);
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(checkable);
    return a;
}

QMenu* menu(QMenuBar* bar, const char* name) {
    QMenu* m = bar->addMenu(QString());
    m->setObjectName(QString::fromLatin1(name));
    return m;
}

} // namespace

void TQS40_NUVA_Form::buildMenus() {
    QMenuBar* bar = menuBar();
    DateiMenu = menu(bar, "DateiMenu");
    OeffnenMenu = action(this, "OeffnenMenu");
    SichernMenu = action(this, "SichernMenu");
    EndeMenu = action(this, "EndeMenu");
    DateiMenu->addActions({OeffnenMenu, SichernMenu});
    DateiMenu->addSeparator();
    DateiMenu->addAction(EndeMenu);

    SensorMenu = menu(bar, "SensorMenu");
    ManuellMenu = action(this, "ManuellMenu");
    SuchenMenu = action(this, "SuchenMenu");
    N8bit = action(this, "N8bit", true);
    N8bit->setChecked(true);
    SensorMenu->addActions({ManuellMenu, SuchenMenu});
    SensorMenu->addSeparator();
    SensorMenu->addAction(N8bit);

    DatenMenu = menu(bar, "DatenMenu");
    LesenMenu = action(this, "LesenMenu");
    SetzenMenu = action(this, "SetzenMenu");
    EEPROMspeichern1 = action(this, "EEPROMspeichern1");
    MesswerteMenu = action(this, "MesswerteMenu");
    lesedauerndMenu = action(this, "lesedauerndMenu", true);
    lesedauerndMenu->setChecked(true);
    DatenMenu->addActions({LesenMenu, SetzenMenu, EEPROMspeichern1});
    DatenMenu->addSeparator();
    DatenMenu->addActions({MesswerteMenu, lesedauerndMenu});

    spezial1 = menu(bar, "spezial1");
    LimitParameter1 = action(this, "LimitParameter1");
    Ueberwachung = action(this, "Ueberwachung", true);
    transferiereMotfile = action(this, "transferiereMotfile");
    SWDownload = action(this, "SWDownload");
    transferiereMotfile->setEnabled(false);
    SWDownload->setEnabled(false);
    spezial1->addActions({LimitParameter1, Ueberwachung, transferiereMotfile, SWDownload});

    HilfeMenu = menu(bar, "HilfeMenu");
    InfoMenu = action(this, "InfoMenu");
    HilfeMenu->addAction(InfoMenu);

    LanguageMenu = menu(bar, "LanguageMenu");
    GermanMenu = action(this, "GermanMenu");
    EnglishMenu = action(this, "EnglishMenu");
    GermanMenu->setText(QStringLiteral("Deutsch"));
    EnglishMenu->setText(QStringLiteral("English"));
    LanguageMenu->addActions({GermanMenu, EnglishMenu});
}

void TQS40_NUVA_Form::buildToolBar() {
    Panel1 = addToolBar(QString());
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setMovable(false);
    Panel1->setIconSize(QSize(20, 20));
    OeffnenButton = action(this, "OeffnenButton");
    SichernButton = action(this, "SichernButton");
    SuchenButton = action(this, "SuchenButton");
    LesenButton = action(this, "LesenButton");
    SetzenButton = action(this, "SetzenButton");
    StartButton = action(this, "StartButton");
    EndeButton = action(this, "EndeButton");
    // Drawn in the style of the other bitmaps: a folder, a disk, a magnifier and an exit mark
    // come from the platform's standard icons.
    OeffnenButton->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    SichernButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    SuchenButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    EndeButton->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    LesenButton->setIcon(QIcon(Artwork::bitmap(QStringLiteral("FROMZYL"))));
    SetzenButton->setIcon(QIcon(Artwork::bitmap(QStringLiteral("TOZYL"))));
    Panel1->addActions({OeffnenButton, SichernButton});
    Panel1->addSeparator();
    Panel1->addActions({SuchenButton, LesenButton, SetzenButton});
    Panel1->addSeparator();
    Panel1->addAction(StartButton);
    Panel1->addSeparator();
    Panel1->addAction(EndeButton);
}

QGroupBox* TQS40_NUVA_Form::buildFieldGroup(int field) {
    auto* group = new QGroupBox;
    group->setObjectName(QString::fromLatin1(kFieldGroupNames[static_cast<std::size_t>(field)]));
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(6);
    int row = 0;
    for (int half = 0; half < 2; ++half) {
        auto* heading =
            new QLabel(half == 0 ? QStringLiteral("E1 = low") : QStringLiteral("E1 = high"), group);
        QFont f = heading->font();
        f.setItalic(true);
        heading->setFont(f);
        grid->addWidget(heading, row++, 0, 1, 2);
        for (int p = 0; p < 2; ++p) {
            const std::size_t k = static_cast<std::size_t>(field * 4 + half * 2 + p);
            auto* label = new QLabel(QStringLiteral("SP%1").arg(half * 2 + p + 1), group);
            // The value field sits left of the arrow, inside the holder's margin.
            auto* holder = new QWidget(group);
            auto* hl = new QHBoxLayout(holder);
            hl->setContentsMargins(72, 2, 8, 2);
            TCSchaltpunkt::Values v;
            v.Start = static_cast<float>(NuvaSession::kPointScaleStart);
            v.Stopp = static_cast<float>(MaxDistance);
            v.Step = static_cast<float>(NuvaSession::kPointScaleStep);
            v.SP1 = kPointInitial;
            // The second point is unused; at the scale's end it never pushes the first one down.
            v.SP2 = static_cast<float>(kMaxScale);
            v.Einheit = QStringLiteral("mm");
            auto* point = new TCSchaltpunkt(v, holder);
            point->setObjectName(QString::fromLatin1(kPointNames[k]));
            point->setMinimumSize(220, 22);
            point->setFocusPolicy(Qt::StrongFocus);
            hl->addWidget(point);
            m_points[k] = point;
            grid->addWidget(label, row, 0);
            grid->addWidget(holder, row++, 1);
        }
    }
    grid->setColumnStretch(1, 1);
    return group;
}

void TQS40_NUVA_Form::buildCentral() {
    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);

    GBSchaltpunkte = new QGroupBox(central);
    GBSchaltpunkte->setObjectName(QStringLiteral("GBSchaltpunkte"));
    auto* fields = new QGridLayout(GBSchaltpunkte);
    for (int field = 0; field < static_cast<int>(kNuvaFieldCount); ++field) {
        m_fieldGroups[static_cast<std::size_t>(field)] = buildFieldGroup(field);
        fields->addWidget(m_fieldGroups[static_cast<std::size_t>(field)], field / 2, field % 2);
    }
    // A sensor with the straight field only keeps it at its natural size.
    fields->setRowStretch(2, 1);
    fields->setColumnStretch(2, 1);
    columns->addWidget(GBSchaltpunkte, 1);

    auto* right = new QVBoxLayout;
    GBAbstand = new QGroupBox(central);
    GBAbstand->setObjectName(QStringLiteral("GBAbstand"));
    auto* distance = new QVBoxLayout(GBAbstand);
    AbstandText = new QLabel(QStringLiteral("0 mm"), GBAbstand);
    AbstandText->setObjectName(QStringLiteral("AbstandText"));
    QFont big = AbstandText->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    AbstandText->setFont(big);
    AbstandBar = new QSlider(Qt::Horizontal, GBAbstand);
    AbstandBar->setObjectName(QStringLiteral("AbstandBar"));
    AbstandBar->setTickPosition(QSlider::TicksBelow);
    AbstandBar->setRange(0, MaxDistance);
    AbstandBar->setTickInterval(MaxDistance / 10);
    AbstandBar->setEnabled(false); // shows the distance, takes no input
    Energie = new QLabel(GBAbstand);
    Energie->setObjectName(QStringLiteral("Energie"));
    distance->addWidget(AbstandText);
    distance->addWidget(AbstandBar);
    distance->addWidget(Energie);
    right->addWidget(GBAbstand);

    GBHysterese = new QGroupBox(central);
    GBHysterese->setObjectName(QStringLiteral("GBHysterese"));
    auto* hyst = new QGridLayout(GBHysterese);
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k) {
        auto* edit = new QLineEdit(QStringLiteral("300"), GBHysterese);
        edit->setObjectName(QString::fromLatin1(kHysteresisNames[k]));
        // A hysteresis travels as a 16-bit word: larger numbers cannot be typed.
        edit->setValidator(new QIntValidator(0, 65535, edit));
        edit->setMaximumWidth(80);
        m_hysteresisEdits[k] = edit;
        hyst->addWidget(new QLabel(QStringLiteral("SP%1").arg(k + 1), GBHysterese), static_cast<int>(k), 0);
        hyst->addWidget(edit, static_cast<int>(k), 1);
        hyst->addWidget(new QLabel(QStringLiteral("mm"), GBHysterese), static_cast<int>(k), 2);
    }
    right->addWidget(GBHysterese);

    GBSchutzfeld = new QGroupBox(central);
    GBSchutzfeld->setObjectName(QStringLiteral("GBSchutzfeld"));
    auto* fieldLayout = new QVBoxLayout(GBSchutzfeld);
    TCSlide::Values sv;
    sv.Steps = static_cast<int>(kNuvaFieldCount);
    CSSchutzfeld = new TCSlide(sv, GBSchutzfeld);
    CSSchutzfeld->setObjectName(QStringLiteral("CSSchutzfeld"));
    CSSchutzfeld->setFocusPolicy(Qt::StrongFocus);
    fieldLayout->addWidget(CSSchutzfeld);
    right->addWidget(GBSchutzfeld);

    GBAdressen = new QGroupBox(central);
    GBAdressen->setObjectName(QStringLiteral("GBAdressen"));
    auto* addresses = new QGridLayout(GBAdressen);
    Slave_Adr = new QLineEdit(QString::number(kNuvaDefaultSlave), GBAdressen);
    Slave_Adr->setObjectName(QStringLiteral("Slave_Adr"));
    Master_Adr = new QLineEdit(QString::number(kNuvaDefaultMaster), GBAdressen);
    Master_Adr->setObjectName(QStringLiteral("Master_Adr"));
    for (QLineEdit* e : {Slave_Adr, Master_Adr}) {
        e->setValidator(new QIntValidator(0, 255, e));
        e->setMaximumWidth(60);
    }
    addresses->addWidget(new QLabel(QStringLiteral("Slave"), GBAdressen), 0, 0);
    addresses->addWidget(Slave_Adr, 0, 1);
    addresses->addWidget(new QLabel(QStringLiteral("Master"), GBAdressen), 1, 0);
    addresses->addWidget(Master_Adr, 1, 1);
    right->addWidget(GBAdressen);

    BES = new QPushButton(QStringLiteral("EEPROM"), central);
    BES->setObjectName(QStringLiteral("BES"));
    right->addWidget(BES);
    England = new QPushButton(central);
    England->setObjectName(QStringLiteral("England"));
    England_12 = new QPushButton(central);
    England_12->setObjectName(QStringLiteral("England_12"));
    right->addWidget(England);
    right->addWidget(England_12);
    right->addStretch(1);
    Logo = new QLabel(central);
    Logo->setObjectName(QStringLiteral("Logo"));
    Logo->setPixmap(Artwork::bitmap(QStringLiteral("QEL")));
    right->addWidget(Logo, 0, Qt::AlignRight);
    columns->addLayout(right);
    setCentralWidget(central);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kPollMs);
    TSuchen = new QTimer(this);
    TSuchen->setObjectName(QStringLiteral("TSuchen"));
    TSuchen->setInterval(0);
}

void TQS40_NUVA_Form::buildStatusBar() {
    QStatusBar* bar = statusBar();
    for (std::size_t i = 0; i < m_statusPanels.size(); ++i) {
        m_statusPanels[i] = new QLabel(bar);
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setMinimumWidth(i == 2 ? 260 : 160);
        bar->addWidget(m_statusPanels[i], i == 2 ? 1 : 0);
    }
    data_ok = new QCheckBox(QStringLiteral("Data ok:"), bar);
    data_ok->setObjectName(QStringLiteral("data_ok"));
    data_ok->setLayoutDirection(Qt::RightToLeft);
    data_ok->setAttribute(Qt::WA_TransparentForMouseEvents); // shows a result, takes no input
    data_ok->setFocusPolicy(Qt::NoFocus);
    bar->addPermanentWidget(data_ok);
}

void TQS40_NUVA_Form::connectHandlers() {
    connect(OeffnenButton, &QAction::triggered, this, &TQS40_NUVA_Form::OeffnenButtonClick);
    connect(OeffnenMenu, &QAction::triggered, this, &TQS40_NUVA_Form::OeffnenButtonClick);
    connect(SichernButton, &QAction::triggered, this, &TQS40_NUVA_Form::SichernButtonClick);
    connect(SichernMenu, &QAction::triggered, this, &TQS40_NUVA_Form::SichernButtonClick);
    connect(EndeButton, &QAction::triggered, this, &QWidget::close);
    connect(EndeMenu, &QAction::triggered, this, &QWidget::close);
    connect(SuchenButton, &QAction::triggered, this, &TQS40_NUVA_Form::SuchenButtonClick);
    connect(SuchenMenu, &QAction::triggered, this, &TQS40_NUVA_Form::SuchenButtonClick);
    connect(ManuellMenu, &QAction::triggered, this, &TQS40_NUVA_Form::ManuellMenuClick);
    connect(N8bit, &QAction::toggled, this, [this](bool on) { m_session.options.eightBit = on; });
    connect(LesenButton, &QAction::triggered, this, &TQS40_NUVA_Form::LesenButtonClick);
    connect(LesenMenu, &QAction::triggered, this, &TQS40_NUVA_Form::LesenButtonClick);
    connect(SetzenButton, &QAction::triggered, this, &TQS40_NUVA_Form::SetzenButtonClick);
    connect(SetzenMenu, &QAction::triggered, this, &TQS40_NUVA_Form::SetzenButtonClick);
    connect(EEPROMspeichern1, &QAction::triggered, this, &TQS40_NUVA_Form::EEPROMspeichern1Click);
    connect(BES, &QPushButton::clicked, this, &TQS40_NUVA_Form::EEPROMspeichern1Click);
    connect(StartButton, &QAction::triggered, this, &TQS40_NUVA_Form::StartButtonClick);
    connect(MesswerteMenu, &QAction::triggered, this, &TQS40_NUVA_Form::MesswerteMenuClick);
    connect(Timer1, &QTimer::timeout, this, &TQS40_NUVA_Form::Timer1Timer);
    connect(TSuchen, &QTimer::timeout, this, &TQS40_NUVA_Form::TSuchenTimer);
    connect(CSSchutzfeld, &TCSlide::OnExit, this, &TQS40_NUVA_Form::CSSchutzfeldExit);
    connect(LimitParameter1, &QAction::triggered, this, &TQS40_NUVA_Form::LimitParameter1Click);
    connect(England, &QPushButton::clicked, this, &TQS40_NUVA_Form::EnglandClick);
    connect(England_12, &QPushButton::clicked, this, &TQS40_NUVA_Form::England_12Click);
    connect(GermanMenu, &QAction::triggered, this, &TQS40_NUVA_Form::GermanMenuClick);
    connect(EnglishMenu, &QAction::triggered, this, &TQS40_NUVA_Form::EnglishMenuClick);
    connect(InfoMenu, &QAction::triggered, this, &TQS40_NUVA_Form::InfoMenuClick);
    for (QLineEdit* e : m_hysteresisEdits)
        connect(e, &QLineEdit::textChanged, this, &TQS40_NUVA_Form::HysteresisChange);
    for (TCSchaltpunkt* p : m_points)
        connect(p, &TCSchaltpunkt::OnChangeSP1, this, &TQS40_NUVA_Form::SwitchPointChange);
    auto address = [](QLineEdit* edit, std::uint8_t fallback) {
        bool ok = false;
        const int v = edit->text().trimmed().toInt(&ok);
        return ok && v >= 0 && v <= 255 ? static_cast<std::uint8_t>(v) : fallback;
    };
    connect(Slave_Adr, &QLineEdit::textChanged, this,
            [this, address] { m_session.options.slave = address(Slave_Adr, kNuvaDefaultSlave); });
    connect(Master_Adr, &QLineEdit::textChanged, this,
            [this, address] { m_session.options.master = address(Master_Adr, kNuvaDefaultMaster); });
}

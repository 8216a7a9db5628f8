// Widgets, menus, tool bar and layout of the ZYL24 window. Texts are set by retranslateUi().
#include "TQD20_Form.h"

#include "Artwork.h"
#include "TCGraphic.h"
#include "TCSchaltpunkt.h"
#include "TCSlide.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

TCSlide* makeSlider(int steps, QWidget* parent) {
    TCSlide::Values v;
    v.Steps = steps;
    auto* slider = new TCSlide(v, parent);
    slider->setFocusPolicy(Qt::StrongFocus);
    return slider;
}

// The editor's value fields sit beside its arrows, in the editor's parent and partly outside the
// editor itself; the holder keeps room for them on both sides.
TCSchaltpunkt* makeEditor(bool analog, QWidget*& holder) {
    holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(80, 4, 80, 4);
    TCSchaltpunkt::Values v;
    v.Start = 80.0f;
    v.Stopp = 300.0f;
    v.Step = 0.1f;
    v.Dezimalstellen = 1;
    v.SP1 = 80.0f;
    v.SP2 = 90.0f;
    v.analog = analog;
    v.Schaltfenster = analog;
    auto* editor = new TCSchaltpunkt(v, holder);
    editor->setMinimumSize(220, 24);
    editor->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(editor);
    return editor;
}

QLabel* makeLed(QWidget* parent) {
    auto* led = new QLabel(parent);
    led->setFixedSize(18, 18);
    led->setAlignment(Qt::AlignCenter);
    return led;
}

QToolButton* makeMeasureButton(QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setIcon(QIcon(Artwork::bitmap(QStringLiteral("GO"))));
    button->setText(QStringLiteral("repeat"));
    return button;
}

// A measured value. Its text changes on every poll tick: a fixed size (room for the longest
// value, a Halvern distance in thousandths) keeps each new text from laying out the window again.
QLabel* makeValueText(QWidget* parent) {
    auto* label = new QLabel(parent);
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 1.8);
    f.setBold(true);
    label->setFont(f);
    const QFontMetrics metrics = label->fontMetrics();
    label->setFixedSize(metrics.horizontalAdvance(QStringLiteral("0000.000 mm")) + 8, metrics.height() + 4);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// A hidden editor or static text keeps its place, so the layout does not jump when an output
// function without switch points is chosen.
void keepPlaceWhenHidden(QWidget* w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

} // namespace

void TQD20_Form::buildMenus() {
    QMenuBar* bar = menuBar();
    DateiMenu = bar->addMenu(QString());
    OeffnenMenu = DateiMenu->addAction(QString());
    OeffnenMenu->setShortcut(QKeySequence::Open);
    SichernMenu = DateiMenu->addAction(QString());
    SichernMenu->setShortcut(QKeySequence::Save);
    DateiMenu->addSeparator();
    EndeMenu = DateiMenu->addAction(QString());

    // The connection commands stand directly in the menu bar.
    SuchenMenu = bar->addAction(QString());
    ManuellMenu = bar->addAction(QString());
    TrennenMenu = bar->addAction(QString());

    DatenMenu = bar->addMenu(QString());
    LesenMenu = DatenMenu->addAction(QString());
    SetzenMenu = DatenMenu->addAction(QString());
    DatenMenu->addSeparator();
    EEPROMspeichern1 = DatenMenu->addAction(QString());
    Werkseinstellung1 = DatenMenu->addAction(QString());

    SensorMenu = bar->addMenu(QStringLiteral("Sensor"));
    QD20NVB701 = SensorMenu->addAction(QStringLiteral("QD20NVB_70"));
    QD20NVB2201 = SensorMenu->addAction(QStringLiteral("QD20NVB_220"));
    QD60NVB5001 = SensorMenu->addAction(QStringLiteral("QD60NVB_500"));
    HalvernMenu = SensorMenu->addAction(QStringLiteral("Halvern"));
    Simulation1 = SensorMenu->addAction(QStringLiteral("Simulation"));
    for (QAction* a : {QD20NVB701, QD20NVB2201, QD60NVB5001})
        a->setCheckable(true);
    auto updateSensorMenu = [this] {
        bool any = false;
        for (QAction* a : SensorMenu->actions())
            any = any || (a->isVisible() && !a->isSeparator());
        SensorMenu->menuAction()->setVisible(any);
    };
    for (QAction* a : SensorMenu->actions()) {
        a->setVisible(false);
        connect(a, &QAction::visibleChanged, this, updateSensorMenu);
    }
    updateSensorMenu();

    spezial1 = bar->addMenu(QString());
    spezial1->menuAction()->setVisible(false);
    buildServiceMenu();

    HilfeMenu = bar->addMenu(QString());
    Inhalt1 = HilfeMenu->addAction(QString());
    InfoMenu = HilfeMenu->addAction(QStringLiteral("&Info"));

    LanguageMenu = bar->addMenu(QString());
    GermanMenu = LanguageMenu->addAction(QStringLiteral("&deutsch"));
    EnglishMenu = LanguageMenu->addAction(QStringLiteral("&english"));
    bar->installEventFilter(this);

    PopupMenu1 = new QMenu(this);
    Direkthilfe1 = PopupMenu1->addAction(QString());
    PopupMenu2 = new QMenu(this);
    MenuItem1 = PopupMenu2->addAction(QString());
    PopupLevel = new QMenu(this);
    Refresh1 = PopupLevel->addAction(QStringLiteral("Refresh"));
    Direkthilfe2 = PopupLevel->addAction(QString());
}

void TQD20_Form::buildToolBar() {
    Panel1 = addToolBar(QStringLiteral("Panel1"));
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setMovable(false);
    Panel1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    QStyle* s = style();
    SuchenButton = Panel1->addAction(s->standardIcon(QStyle::SP_FileDialogContentsView), QString());
    LesenButton = Panel1->addAction(s->standardIcon(QStyle::SP_ArrowDown), QString());
    SetzenButton = Panel1->addAction(s->standardIcon(QStyle::SP_ArrowUp), QString());
    Panel1->addSeparator();
    SichernButton = Panel1->addAction(s->standardIcon(QStyle::SP_DialogSaveButton), QString());
    OeffnenButton = Panel1->addAction(s->standardIcon(QStyle::SP_DialogOpenButton), QString());
    Panel1->addSeparator();
    EndeButton = Panel1->addAction(s->standardIcon(QStyle::SP_DialogCloseButton), QString());
}

QWidget* TQD20_Form::buildParameterColumn() {
    auto* column = new QWidget;
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(0, 0, 0, 0);

    GBQ1 = new QGroupBox;
    FktQ1Slide = makeSlider(10, GBQ1);
    OSQ1_Slide = makeSlider(2, GBQ1);
    IVQ1Slide = makeSlider(2, GBQ1);
    SetQ1Slide = makeSlider(2, GBQ1);
    SetQ1Slide->SetBeschriftung({QStringLiteral("set Q1 high"), QStringLiteral("set Q1 low")});
    BSETQ1 = new QPushButton(QStringLiteral("set"), GBQ1);
    auto* q1 = new QGridLayout(GBQ1);
    q1->addWidget(FktQ1Slide, 0, 0, 4, 1, Qt::AlignTop | Qt::AlignLeft);
    q1->addWidget(OSQ1_Slide, 0, 1, Qt::AlignTop | Qt::AlignLeft);
    q1->addWidget(IVQ1Slide, 1, 1, Qt::AlignTop | Qt::AlignLeft);
    q1->addWidget(SetQ1Slide, 2, 1, Qt::AlignTop | Qt::AlignLeft);
    q1->addWidget(BSETQ1, 3, 1, Qt::AlignBottom | Qt::AlignRight);
    q1->setColumnStretch(1, 1);
    v->addWidget(GBQ1);

    GBQ2 = new QGroupBox;
    FktQ2Slide = makeSlider(3, GBQ2);
    OSQ2_Slide = makeSlider(2, GBQ2);
    IVQ2Slide = makeSlider(2, GBQ2);
    BSETQ2 = new QPushButton(QStringLiteral("set"), GBQ2);
    auto* q2 = new QGridLayout(GBQ2);
    q2->addWidget(FktQ2Slide, 0, 0, 3, 1, Qt::AlignTop | Qt::AlignLeft);
    q2->addWidget(OSQ2_Slide, 0, 1, Qt::AlignTop | Qt::AlignLeft);
    q2->addWidget(IVQ2Slide, 1, 1, Qt::AlignTop | Qt::AlignLeft);
    q2->addWidget(BSETQ2, 2, 1, Qt::AlignBottom | Qt::AlignRight);
    q2->setColumnStretch(1, 1);
    v->addWidget(GBQ2);

    auto* small = new QHBoxLayout;
    GBTv = new QGroupBox;
    TVSlide = makeSlider(2, GBTv);
    TVSlide->SetBeschriftung({QStringLiteral("on"), QStringLiteral("off")});
    (new QVBoxLayout(GBTv))->addWidget(TVSlide, 0, Qt::AlignTop | Qt::AlignLeft);
    GBHold = new QGroupBox;
    Hold_Slide = makeSlider(2, GBHold);
    Hold_Slide->SetBeschriftung({QStringLiteral("on"), QStringLiteral("off")});
    (new QVBoxLayout(GBHold))->addWidget(Hold_Slide, 0, Qt::AlignTop | Qt::AlignLeft);
    GBBW = new QGroupBox;
    BWSlide = makeSlider(3, GBBW);
    BWSlide->SetBeschriftung({QStringLiteral("40 ms"), QStringLiteral("4 ms"), QStringLiteral("0.4 ms")});
    CBlowlight = new QCheckBox(QStringLiteral("lowlight"), GBBW);
    CBlowlight->hide();
    auto* bw = new QVBoxLayout(GBBW);
    bw->addWidget(BWSlide, 0, Qt::AlignTop | Qt::AlignLeft);
    bw->addWidget(CBlowlight);
    small->addWidget(GBTv);
    small->addWidget(GBHold);
    small->addWidget(GBBW);
    v->addLayout(small);

    GBSensor = new QGroupBox;
    LAdresse = new QLabel(GBSensor);
    Slave_Adr = new QComboBox(GBSensor);
    Slave_Adr->setEditable(true);
    Slave_Adr->setInsertPolicy(QComboBox::NoInsert);
    Slave_Adr->setMinimumContentsLength(5);
    LAdresse->setBuddy(Slave_Adr);
    BCA = new QPushButton(GBSensor);
    BES = new QPushButton(GBSensor);
    BWE = new QPushButton(GBSensor);
    auto* sensor = new QGridLayout(GBSensor);
    sensor->addWidget(LAdresse, 0, 0);
    sensor->addWidget(Slave_Adr, 0, 1);
    sensor->addWidget(BCA, 0, 2);
    sensor->addWidget(BES, 1, 0, 1, 3);
    sensor->addWidget(BWE, 2, 0, 1, 3);
    sensor->setColumnStretch(1, 1);
    v->addWidget(GBSensor);
    v->addStretch(1);

    for (QPushButton* b : {BSETQ1, BSETQ2, BCA, BES, BWE})
        b->setIconSize(QSize(16, 16));
    return column;
}

QWidget* TQD20_Form::buildDisplayColumn() {
    auto* column = new QWidget;
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(0, 0, 0, 0);

    P_draw_Q20 = new QGroupBox;
    auto* points = new QGridLayout(P_draw_Q20);
    QWidget* holder = nullptr;
    auto addPointRow = [&](int row, QLabel*& name, TCSchaltpunkt*& editor, QLabel*& first, QLabel*& second) {
        name = new QLabel(QStringLiteral("Q%1").arg(row + 1));
        editor = makeEditor(false, holder);
        first = new QLabel;
        second = new QLabel;
        points->addWidget(name, row, 0);
        points->addWidget(holder, row, 1);
        points->addWidget(first, row, 2);
        points->addWidget(second, row, 3);
    };
    addPointRow(0, TSP1, SP_Q1, LQ1_1, LQ1_2);
    addPointRow(1, TSP2, SP_Q2, LQ2_1, LQ2_2);
    points->setColumnStretch(1, 1);
    for (QWidget* w : {static_cast<QWidget*>(TSP1), static_cast<QWidget*>(TSP2)})
        keepPlaceWhenHidden(w);
    const int labelWidth = LQ1_1->fontMetrics().horizontalAdvance(QStringLiteral("0000.0mm "));
    for (QLabel* l : {LQ1_1, LQ1_2, LQ2_1, LQ2_2})
        l->setMinimumWidth(labelWidth);
    v->addWidget(P_draw_Q20);

    GBKennlinie = new QGroupBox;
    auto* analog = new QGridLayout(GBKennlinie);
    SP_QA = makeEditor(true, holder);
    analog->addWidget(holder, 0, 0, 1, 6);
    ENull = new QLineEdit;
    EVoll = new QLineEdit;
    for (QLineEdit* e : {ENull, EVoll}) {
        e->setReadOnly(true);
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00000.0mm")) + 16);
    }
    BAN = new QPushButton(QStringLiteral("set"));
    BAN->setIconSize(QSize(16, 16));
    auto* l4 = new QLabel(QStringLiteral("4 mA"));
    auto* l20 = new QLabel(QStringLiteral("20 mA"));
    l4->setBuddy(ENull);
    l20->setBuddy(EVoll);
    analog->addWidget(l4, 1, 0);
    analog->addWidget(ENull, 1, 1);
    analog->addWidget(l20, 1, 2);
    analog->addWidget(EVoll, 1, 3);
    analog->setColumnStretch(4, 1);
    analog->addWidget(BAN, 1, 5);
    v->addWidget(GBKennlinie);

    auto* values = new QHBoxLayout;
    GBSchaltzustand = new QGroupBox;
    led_q1 = makeLed(GBSchaltzustand);
    led_qv = makeLed(GBSchaltzustand);
    auto* leds = new QGridLayout(GBSchaltzustand);
    leds->addWidget(led_q1, 0, 0);
    leds->addWidget(new QLabel(QStringLiteral("Q1")), 0, 1);
    leds->addWidget(led_qv, 1, 0);
    leds->addWidget(new QLabel(QStringLiteral("GoodTarget")), 1, 1);
    values->addWidget(GBSchaltzustand);

    Schaltzustand = new QGroupBox;
    AbstandsText = makeValueText(Schaltzustand);
    AbstandGauge = new QProgressBar(Schaltzustand);
    AbstandGauge->setTextVisible(false);
    AbstandGauge->setMaximumHeight(14);
    StartButton = makeMeasureButton(Schaltzustand);
    StartButtonSingle = makeMeasureButton(Schaltzustand);
    StartButtonSingle->setText(QStringLiteral("single"));
    auto* distance = new QGridLayout(Schaltzustand);
    distance->addWidget(AbstandsText, 0, 0, 1, 2);
    distance->addWidget(AbstandGauge, 1, 0, 1, 2);
    distance->addWidget(StartButtonSingle, 2, 0);
    distance->addWidget(StartButton, 2, 1);
    values->addWidget(Schaltzustand, 1);

    Q1Messwerte = new QGroupBox;
    Q1_Werte = makeValueText(Q1Messwerte);
    TriggerButton = makeMeasureButton(Q1Messwerte);
    TriggerButtonSingle = makeMeasureButton(Q1Messwerte);
    TriggerButtonSingle->setText(QStringLiteral("single"));
    auto* q1Value = new QGridLayout(Q1Messwerte);
    q1Value->addWidget(Q1_Werte, 0, 0, 1, 2);
    q1Value->setRowStretch(1, 1);
    q1Value->addWidget(TriggerButtonSingle, 2, 0);
    q1Value->addWidget(TriggerButton, 2, 1);
    values->addWidget(Q1Messwerte, 1);
    v->addLayout(values);

    TCGraphic::Values plot;
    plot.Ymin = 0;
    plot.Ymax = 4096;
    plot.Anzahl = 400;
    plot.MaxZoom = 100;
    plot.Datentyp = TDataKind::Short;
    plot.DrawLevel = true;
    Grafik = new TCGraphic(plot);
    Grafik->SetPen(QPen(Qt::red));
    Grafik->SetColor(Qt::white);
    TLevel& levels = Grafik->Schaltpunkt();
    levels.SetLAnz(6);
    levels.SetL1kleinerL2(true);
    levels.SetL3kleinerL4(true);
    const char* cursors[] = {"CRQ12", "CRQ11", "CRQ22", "CRQ21", "CRQA20", "CRQA4"};
    for (int k = 1; k <= TLevel::kCount; ++k)
        levels.SetcrL(k, Artwork::cursor(QString::fromLatin1(cursors[k - 1])));
    Grafik->setMinimumSize(360, 240);
    v->addWidget(Grafik, 1);

    Memo1 = new QPlainTextEdit;
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    Memo1->hide();
    PopupMemo = new QMenu(this);
    MenuItem2 = PopupMemo->addAction(QStringLiteral("Verbergen"));
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMemo->popup(Memo1->mapToGlobal(pos)); });
    v->addWidget(Memo1, 1);

    keepPlaceWhenHidden(SP_Q1);
    keepPlaceWhenHidden(SP_Q2);
    return column;
}

void TQD20_Form::buildStatusBar() {
    QStatusBar* bar = statusBar();
    const int widths[] = {200, 100, 0};
    for (int i = 0; i < 3; ++i) {
        m_statusPanels[i] = new QLabel;
        m_statusPanels[i]->setMinimumWidth(widths[i]);
        bar->addWidget(m_statusPanels[i], 0);
    }
    // The exchange panel changes with every poll tick. Fixed to the room of the longest reply
    // (22 bytes), a new text only repaints the panel instead of laying out the status bar.
    QLabel* exchange = m_statusPanels[2];
    const QFontMetrics metrics = exchange->fontMetrics();
    exchange->setFixedSize(metrics.horizontalAdvance(QStringLiteral("Status: ") + QStringLiteral("00 ").repeated(22)),
                           metrics.height() + 2);
    // Painting its own background, it repaints alone, without the status bar behind it.
    exchange->setAutoFillBackground(true);
    bar->addWidget(new QWidget, 1); // the free room stays right of the panels
    data_ok = new QCheckBox(QStringLiteral("Data ok:"));
    data_ok->setLayoutDirection(Qt::RightToLeft);
    data_ok->setFocusPolicy(Qt::NoFocus);
    data_ok->setAttribute(Qt::WA_TransparentForMouseEvents); // shows a result, takes no input
    bar->addPermanentWidget(data_ok);
}

void TQD20_Form::buildCentral() {
    auto* central = new QWidget;
    auto* h = new QHBoxLayout(central);
    h->addWidget(buildParameterColumn(), 0);
    h->addWidget(buildDisplayColumn(), 1);
    setCentralWidget(central);

    TSuchen = new QTimer(this);
    TSuchen->setInterval(10);
    RohDataTimer = new QTimer(this);
    RohDataTimer->setInterval(40);
    MessDataTimer = new QTimer(this);
    MessDataTimer->setInterval(40);
    TimerPixelGraf = new QTimer(this);
    TimerPixelGraf->setInterval(500);
    TimerPixel = new QTimer(this);
    TimerPixel->setInterval(100);
    HalvernDataTimer = new QTimer(this);
    HalvernDataTimer->setInterval(100);
}

void TQD20_Form::attachEditorHandlers() {
    m_editorConnections = {
        connect(SP_Q1, &TCSchaltpunkt::OnChangeSP1, this, &TQD20_Form::SP_Q1ChangeSP1),
        connect(SP_Q1, &TCSchaltpunkt::OnChangeSP2, this, &TQD20_Form::SP_Q1ChangeSP2),
        connect(SP_Q2, &TCSchaltpunkt::OnChangeSP1, this, &TQD20_Form::SP_Q2ChangeSP1),
        connect(SP_Q2, &TCSchaltpunkt::OnChangeSP2, this, &TQD20_Form::SP_Q2ChangeSP2),
        connect(SP_QA, &TCSchaltpunkt::OnChangeSP1, this, &TQD20_Form::SP_QAChangeSP1),
        connect(SP_QA, &TCSchaltpunkt::OnChangeSP2, this, &TQD20_Form::SP_QAChangeSP2),
    };
}

void TQD20_Form::detachEditorHandlers() {
    for (QMetaObject::Connection& c : m_editorConnections)
        disconnect(c);
}

void TQD20_Form::connectHandlers() {
    auto on = [this](QAction* a, void (TQD20_Form::*handler)()) {
        connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    for (QAction* a : {SuchenMenu, SuchenButton})
        on(a, &TQD20_Form::SuchenMenuClick);
    on(ManuellMenu, &TQD20_Form::ManuellMenuClick);
    on(TrennenMenu, &TQD20_Form::TrennenMenuClick);
    for (QAction* a : {LesenMenu, LesenButton})
        on(a, &TQD20_Form::LesenMenuClick);
    for (QAction* a : {SetzenMenu, SetzenButton})
        on(a, &TQD20_Form::SetzenButtonClick);
    for (QAction* a : {EndeMenu, EndeButton})
        connect(a, &QAction::triggered, this, &QWidget::close);
    on(EEPROMspeichern1, &TQD20_Form::BESClick);
    on(Werkseinstellung1, &TQD20_Form::BWEClick);
    connect(QD20NVB701, &QAction::triggered, this, [this] { readAsVariant(2); });
    connect(QD20NVB2201, &QAction::triggered, this, [this] { readAsVariant(1); });
    connect(QD60NVB5001, &QAction::triggered, this, [this] { readAsVariant(11); });
    on(Inhalt1, &TQD20_Form::Inhalt1Click);
    on(InfoMenu, &TQD20_Form::InfoMenuClick);
    on(GermanMenu, &TQD20_Form::GermanMenuClick);
    on(EnglishMenu, &TQD20_Form::EnglishMenuClick);
    for (QAction* a : {Direkthilfe1, MenuItem1, Direkthilfe2})
        connect(a, &QAction::triggered, this, [this] { showQuickInfo(m_popupControl); });
    on(Refresh1, &TQD20_Form::Refresh1Click);

    connect(BSETQ1, &QPushButton::clicked, this, &TQD20_Form::BSETQ1Click);
    connect(BSETQ2, &QPushButton::clicked, this, &TQD20_Form::BSETQ2Click);
    connect(BAN, &QPushButton::clicked, this, &TQD20_Form::BANClick);
    connect(BES, &QPushButton::clicked, this, &TQD20_Form::BESClick);
    connect(BWE, &QPushButton::clicked, this, &TQD20_Form::BWEClick);
    connect(BCA, &QPushButton::clicked, this, &TQD20_Form::BCAClick);
    connect(CBlowlight, &QCheckBox::clicked, this, &TQD20_Form::CBlowlightMouseUp);

    connect(FktQ1Slide, &TCSlide::OnChange, this, &TQD20_Form::FktQ1SlideChange);
    connect(FktQ2Slide, &TCSlide::OnChange, this, &TQD20_Form::FktQ2SlideChange);
    connect(OSQ1_Slide, &TCSlide::OnChange, this, &TQD20_Form::OSQ1_SlideChange);
    connect(OSQ2_Slide, &TCSlide::OnChange, this, &TQD20_Form::OSQ2_SlideChange);
    connect(IVQ1Slide, &TCSlide::OnChange, this, &TQD20_Form::IVQ1SlideChange);
    connect(IVQ2Slide, &TCSlide::OnChange, this, &TQD20_Form::IVQ2SlideChange);
    connect(SetQ1Slide, &TCSlide::OnChange, this, &TQD20_Form::SetQ1SlideChange);
    // Key lock and hold go out on every change and again when the slider is let go; the
    // averaging time only when it is let go.
    for (auto signal : {&TCSlide::OnChange, &TCSlide::OnExit}) {
        connect(TVSlide, signal, this, &TQD20_Form::TVSlideChange);
        connect(Hold_Slide, signal, this, &TQD20_Form::Hold_SlideChange);
    }
    connect(BWSlide, &TCSlide::OnExit, this, &TQD20_Form::BWSlideExit);

    attachEditorHandlers();
    connect(Grafik, &TCGraphic::OnChangeLevel, this, &TQD20_Form::GrafikChangeLevel);
    // Only the user's own edits of the address box select a found sensor; the window's own
    // writes into the box (search, address change) do not.
    connect(Slave_Adr, &QComboBox::textActivated, this, &TQD20_Form::Slave_AdrChange);
    connect(Slave_Adr->lineEdit(), &QLineEdit::textEdited, this, &TQD20_Form::Slave_AdrChange);

    connect(TSuchen, &QTimer::timeout, this, &TQD20_Form::TSuchenTimer);

    // Measurements, export, project files
    connect(RohDataTimer, &QTimer::timeout, this, &TQD20_Form::RohDataTimerTimer);
    connect(MessDataTimer, &QTimer::timeout, this, &TQD20_Form::MessDataTimerTimer);
    connect(StartButton, &QToolButton::clicked, this, &TQD20_Form::StartButtonClick);
    connect(TriggerButton, &QToolButton::clicked, this, &TQD20_Form::TriggerButtonClick);
    connect(StartButtonSingle, &QToolButton::clicked, this, &TQD20_Form::StartButtonSingleClick);
    connect(TriggerButtonSingle, &QToolButton::clicked, this, &TQD20_Form::TriggerButtonSingleClick);
    connect(Grafik, &TCGraphic::OnSave, this, &TQD20_Form::STsaveClick);
    for (QAction* a : {SichernMenu, SichernButton})
        on(a, &TQD20_Form::SichernButtonClick);
    for (QAction* a : {OeffnenMenu, OeffnenButton})
        on(a, &TQD20_Form::OeffnenButtonClick);

    // Simulation and service functions
    on(Simulation1, &TQD20_Form::Simulation1Click);
    on(lesePixeldaten1, &TQD20_Form::lesePixeldaten1Click);
    on(lesePixeldatenMemo1, &TQD20_Form::lesePixeldatenMemo1Click);
    on(enableSensor1, &TQD20_Form::enableSensor1Click);
    on(HalvernMenu, &TQD20_Form::HalvernMenuClick);
    on(MenuItem2, &TQD20_Form::MenuItem2Click);
    connect(TimerPixelGraf, &QTimer::timeout, this, &TQD20_Form::TimerPixelGrafTimer);
    connect(TimerPixel, &QTimer::timeout, this, &TQD20_Form::TimerPixelTimer);
    connect(HalvernDataTimer, &QTimer::timeout, this, &TQD20_Form::HalvernDataTimerTimer);
}

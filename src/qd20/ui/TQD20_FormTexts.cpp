// The ZYL24 window in German and English, and its help. German texts are the source; the English
// ones come from the translator. Texts that read the same in both languages (slider entries such
// as "trigger" or "Diff-Hold", "single", "repeat", "Data ok:") are set once when built.
#include "TQD20_Form.h"

#include "AppState.h"
#include "HelpWindow.h"
#include "Language.h"
#include "TAboutBox.h"
#include "TCGraphic.h"
#include "TCSlide.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

void TQD20_Form::retranslateUi() {
    const QString normallyClosed = tr("Öffner");
    const QString normallyOpen = tr("Schliesser");
    OSQ1_Slide->SetBeschriftung({normallyClosed, normallyOpen});
    OSQ2_Slide->SetBeschriftung({normallyClosed, normallyOpen});
    const QString switchPoint = tr("Schaltausgang");
    const QString switchWindow = tr("Schaltfenster");
    FktQ1Slide->SetBeschriftung({switchPoint, switchWindow, QStringLiteral("trigger"), QStringLiteral("enable"),
                                 QStringLiteral("MaxDist-Hold"), QStringLiteral("MinDist-Hold"),
                                 QStringLiteral("Diff-Hold"), tr("schnelle Messung"), QStringLiteral("Autocenter"),
                                 QStringLiteral("Autozero")});
    FktQ2Slide->SetBeschriftung({switchPoint, switchWindow, QStringLiteral("Good Target")});
    const QStringList stretching{tr("Impulsverlängerung an"), tr("Impulsverlängerung aus")};
    IVQ1Slide->SetBeschriftung(stretching);
    IVQ2Slide->SetBeschriftung(stretching);

    P_draw_Q20->setTitle(tr("Schaltpunkte"));
    GBQ1->setTitle(tr("Ausgang Q1"));
    GBQ2->setTitle(tr("Ausgang Q2"));
    GBTv->setTitle(tr("Tastensperre"));
    GBBW->setTitle(tr("Mittelungszeit"));
    GBHold->setTitle(tr("HoldData"));
    GBKennlinie->setTitle(tr("Analog-Kennlinie"));
    GBSensor->setTitle(tr("Sensor"));
    Schaltzustand->setTitle(tr("Messwerte Abstand"));
    GBSchaltzustand->setTitle(QStringLiteral("Status LED"));
    Q1Messwerte->setTitle(tr("Messwert Q1"));
    BWE->setText(tr("Werkseinstellung"));
    Werkseinstellung1->setText(tr("Werkseinstellung"));
    BES->setText(tr("im Sensor speichern"));
    EEPROMspeichern1->setText(tr("im Sensor speichern"));
    DateiMenu->setTitle(tr("Datei"));
    OeffnenMenu->setText(tr("Ö&ffnen"));
    SichernMenu->setText(tr("&Speichern"));
    EndeMenu->setText(tr("&Beenden"));
    ManuellMenu->setText(tr("&Manuell"));
    SuchenMenu->setText(tr("&Suchen"));
    TrennenMenu->setText(tr("&Trennen"));
    DatenMenu->setTitle(tr("S&ensordaten"));
    LesenMenu->setText(tr("Einstellungen vom Sensor &lesen"));
    SetzenMenu->setText(tr("Einstellungen an Sensor ü&bertragen"));
    HilfeMenu->setTitle(tr("&Hilfe"));
    // The language menu is named in the other language, so it can be found by whoever cannot
    // read the current one.
    LanguageMenu->setTitle(tr("&language"));
    Inhalt1->setText(tr("I&nhalt"));
    spezial1->setTitle(tr("Spezialfunktionen"));
    LAdresse->setText(tr("Adresse"));
    BCA->setText(tr("Adresse ändern"));
    for (QAction* a : {Direkthilfe1, MenuItem1, Direkthilfe2})
        a->setText(tr("Direkthilfe"));

    Q1_Werte->setToolTip(tr("Messwert Q1"));
    AbstandsText->setToolTip(tr("Messwerte Abstand"));
    CBlowlight->setToolTip(tr("Modus für dunkle Objekte"));
    GBQ1->setToolTip(tr("Ausgang Q1 konfigurieren"));
    GBQ2->setToolTip(tr("Ausgang Q2 konfigurieren"));
    GBTv->setToolTip(tr("Tastenverriegelung"));
    GBBW->setToolTip(tr("Mittelungszeit einstellen"));
    GBHold->setToolTip(tr("Hold wenn Daten ungültig"));
    GBKennlinie->setToolTip(tr("Analog Kennlinie"));
    GBSensor->setToolTip(tr("Sensoradresse"));
    Schaltzustand->setToolTip(tr("Messwerte"));
    Grafik->setToolTip(tr("Grapfische Darstellung"));
    BWE->setToolTip(tr("Werkseinstellung aktivieren"));
    BES->setToolTip(tr("Einstellungen im Sensor dauerhaft speichern"));
    StartButton->setToolTip(tr("Messdaten Abstand lesen"));
    StartButtonSingle->setToolTip(tr("Messdaten Abstand lesen"));
    TriggerButton->setToolTip(tr("Messdaten Q1 lesen"));
    TriggerButtonSingle->setToolTip(tr("Messdaten Q1 lesen"));
    // Tool bar buttons show only their picture; the hint is also their name in the overflow menu.
    const std::pair<QAction*, QString> toolHints[] = {
        {EndeButton, tr("Programm beenden")},
        {SetzenButton, tr("Einstellungen im Sensor flüchtig speichern")},
        {LesenButton, tr("Sensoreinstellungen lesen")},
        {SuchenButton, tr("Sensor suchen")},
        {SichernButton, tr("Projekt als Datei speichern")},
        {OeffnenButton, tr("Projektdatei öffnen")},
    };
    for (const auto& [action, hint] : toolHints) {
        action->setText(hint);
        action->setToolTip(hint);
    }

    if (m_noSensorShown)
        setStatus(0, tr("Sensor: keiner"));
    if (m_statusKind == StatusKind::NoData)
        showExchangeStatus(StatusKind::NoData);
}

QString TQD20_Form::sendErrorText() const { return tr("Fehler beim Daten senden oder ungültige Parameter"); }

QString TQD20_Form::noSensorText() const { return tr("kein Sensor verfügbar\nComPort richtig?\nSensor angeschlossen?"); }

void TQD20_Form::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QMainWindow::changeEvent(event);
}

// Both handlers switch the whole program (translator, help file, the start window's question)
// and then rewrite this window, also when the language was already the chosen one.
void TQD20_Form::GermanMenuClick() {
    Language::setEnglish(m_app, false);
    retranslateUi();
}

void TQD20_Form::EnglishMenuClick() {
    Language::setEnglish(m_app, true);
    retranslateUi();
}

void TQD20_Form::Inhalt1Click() {
    if (m_app.help)
        m_app.help->showIndex(m_app.EnglishUi);
}

void TQD20_Form::InfoMenuClick() {
    if (m_app.about)
        m_app.about->exec();
}

int TQD20_Form::helpContext(const QObject* control) const {
    for (const QObject* o = control; o; o = o->parent()) {
        const auto it = m_helpContexts.constFind(o);
        if (it != m_helpContexts.constEnd())
            return it.value();
    }
    return 0;
}

void TQD20_Form::showQuickInfo(QWidget* control) {
    if (!m_app.help)
        return;
    const int context = helpContext(control);
    if (context != 0)
        m_app.help->showTopic(context, m_app.EnglishUi);
    else
        m_app.help->showIndex(m_app.EnglishUi);
}

void TQD20_Form::setHelpContext(QWidget* control, int context, QMenu* menu) {
    m_helpContexts.insert(control, context);
    control->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(control, &QWidget::customContextMenuRequested, this, [this, control, menu](const QPoint& pos) {
        m_popupControl = control;
        menu->popup(control->mapToGlobal(pos));
    });
}

void TQD20_Form::setHelpContexts() {
    setHelpContext(Grafik, 1, PopupLevel);
    setHelpContext(P_draw_Q20, 5, PopupMenu1);
    for (QWidget* w : std::initializer_list<QWidget*>{Q1Messwerte, Q1_Werte})
        setHelpContext(w, 8, PopupMenu2);
    for (QWidget* w : std::initializer_list<QWidget*>{GBTv, TVSlide})
        setHelpContext(w, 10, PopupMenu1);
    for (QWidget* w : std::initializer_list<QWidget*>{GBSensor, Slave_Adr, BCA})
        setHelpContext(w, 11, PopupMenu1);
    setHelpContext(BES, 12, PopupMenu1);
    for (QWidget* w : std::initializer_list<QWidget*>{Schaltzustand, AbstandsText})
        setHelpContext(w, 14, PopupMenu2);
    setHelpContext(Panel1, 21, PopupMenu1);
    for (QWidget* w : std::initializer_list<QWidget*>{GBQ1, OSQ1_Slide, IVQ1Slide, FktQ1Slide})
        setHelpContext(w, 22, PopupMenu1);
    for (QWidget* w : std::initializer_list<QWidget*>{GBQ2, IVQ2Slide, OSQ2_Slide, FktQ2Slide})
        setHelpContext(w, 23, PopupMenu1);
    setHelpContext(SetQ1Slide, 24, PopupMenu1);
    for (QWidget* w : std::initializer_list<QWidget*>{GBBW, BWSlide})
        setHelpContext(w, 25, PopupMenu1);
    setHelpContext(GBKennlinie, 26, PopupMenu1);
    for (QWidget* w : std::initializer_list<QWidget*>{GBSchaltzustand, statusBar(), data_ok})
        setHelpContext(w, 27, PopupMenu2);
    setHelpContext(BWE, 36, PopupMenu1);
    // The hold slider belongs to the hold group's page, not to the key lock's.
    for (QWidget* w : std::initializer_list<QWidget*>{GBHold, Hold_Slide})
        setHelpContext(w, 37, PopupMenu1);
    m_helpContexts.insert(SuchenMenu, 3);
    m_helpContexts.insert(ManuellMenu, 4);

    // F1 opens the page of the control that has the focus (the contents when it has none).
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] { showQuickInfo(QApplication::focusWidget()); });
}

// F1 while a command of the menu bar is highlighted opens that command's page.
bool TQD20_Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == menuBar() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        if (QAction* active = menuBar()->activeAction(); active && m_helpContexts.contains(active) && m_app.help) {
            m_app.help->showTopic(m_helpContexts.value(active), m_app.EnglishUi);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

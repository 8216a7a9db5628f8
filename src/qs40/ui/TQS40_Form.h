#pragma once
// The QS40 window: finds a QS40MNTB on the serial ports or connects to one with chosen line
// settings, reads and writes its four switch points (and the limit parameters), shows them as a
// drawing in which they are dragged, polls measurements (distance, function reserve, switching
// states, connector pins), keeps a list of error messages and loads and saves project files.
//
// The logic lives in Qs40Session; this window maps it to controls and messages. It is spread
// over files by feature:
//   TQS40_Form.cpp            construction, layout, showing and closing, control states
//   TQS40_FormTexts.cpp       both languages and the message texts
//   TQS40_FormConnection.cpp  search, manual connection, read, write, copy, measurement polling
//   TQS40_FormProject.cpp     project files (.spi) and the parameter list
//   TQS40_FormService.cpp     firmware update, user mode and the handheld transfers
#include "Qs40ServiceActions.h"
#include "Qs40Session.h"
#include "SensorWindow.h"

#include <QMainWindow>
#include <QPixmap>

#include <array>
#include <functional>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QSlider;
class QTimer;
class QToolBar;
class Qs40FormDrawing;
class TSensorParameterDialog;
struct AppState;

class TQS40_Form : public QMainWindow, public SensorWindow {
    Q_OBJECT
public:
    // Shows and edits the program's QS40 parameter set. list: the parameter list dialog (may be
    // null: the list button then does nothing).
    explicit TQS40_Form(AppState& app, TSensorParameterDialog* list = nullptr, QWidget* parent = nullptr);
    ~TQS40_Form() override;

    // SensorWindow: the start window's port is not used; the window finds its own.
    void setPortNumber(int) override {}
    int portNumber() const override { return m_session.PortNumber(); }
    void showSensorWindow() override;

    Qs40Session& session() { return m_session; }

public slots:
    void SuchenMenuClick();
    void ManuellMenuClick();
    void LesenButtonClick();
    void SetzenButtonClick();
    void Parameterkopieren1Click();
    void StartButtonClick();
    void TimerLesenTimer();
    void ParalisteButtonClick();
    void FehlermeldungenClick();
    void clearFehlerClick();
    void InfoMenuClick();
    void EnglishMenuClick();
    void GermanMenuClick();
    void EndeButtonClick();
    void OeffnenMenuClick();
    void SichernMenuClick();
    // The service functions (TQS40_FormService.cpp).
    void SWDownloadClick();
    void SWDownloadMNTB1Click();
    void SUMClick();
    void PalmButtonClick();
    void frompalmClick();
    void transferieremotfile1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    void buildPanels();
    void FormShow();
    void FormClose();
    void SetButtons();
    void zeichne_all();
    void SensorLesen();
    // Runs a write until it succeeds or the user stops retrying; reports the outcome.
    void sendWithRetry(const std::function<bool()>& send);
    void retranslateUi();

    // Connected or not, and how: the read, write, start and data controls follow the
    // connection; the handheld buttons only a manual connection or a loaded file.
    // A new connection, or none, also drops what an earlier update held.
    void setConnectedControls(bool connected);
    void showConnectedControls(bool connected);
    void setHandheldEnabled(bool on);
    void stopPolling();
    void showSensorText();
    void showPortText();
    void showMeasurement();
    void showProgress();
    void hideProgress();
    // An error box with the given buttons, also listed in the message list; returns the button.
    int reportError(const QString& text, int buttons);
    void listMessage(const QString& text);
    void reportConnectResult(Qs40Session::Connect result);
    QString withLineError(const QString& text) const;
    // After an operation: when the line failed under it, the connection has ended; the window
    // shows that and says why, once. True when it did.
    bool lineLost();

    // The service functions (TQS40_FormService.cpp).
    void buildServiceMenu();
    void setServiceEnabled(bool connected);
    void runFirmwareUpdate(bool reduced);
    // The port of a download that a pulled adapter cut off, opened again as the connection;
    // true when there is none or it opened, else the reason has been told.
    bool reopenForPendingDownload();
    QString pendingDownloadText() const;
    void reportService(const QString& boxText, const QString& listLine);
    void reportHandheld(Qs40ServiceActions::Handheld result);
    // While an image goes over: the progress dialog without its cancel button, keeping every
    // window painted but taking no input.
    void beginTransferProgress();
    void showTransferPage(std::size_t done, std::size_t pages);
    void endTransferProgress();
    QString palmNotOpenText() const;
    QString palmErrorText() const;
    QString serviceFileFilter() const;

    // Message texts in the current language.
    QString noSensorText() const;
    QString cannotOpenFileText() const;
    QString fileErrorText() const;
    QString otherTypeText() const;
    QString unknownSensorText() const;
    QString readErrorText() const;
    QString sendErrorText() const;
    QString successText() const;
    QString badSettingsText() const;
    QString saveFailedText() const;
    QString fileFilter() const;

    AppState& m_app;
    Qs40ParameterSet& m_params;
    Qs40Session m_session;
    Qs40ServiceActions m_service;
    TSensorParameterDialog* m_list;

    QMenu* DateiMenu;
    QAction* OeffnenMenu;
    QAction* SichernMenu;
    QAction* BeendenMenu;
    QMenu* SensorMenu;
    QAction* ManuellMenu;
    QAction* SuchenMenu;
    QMenu* DatenMenu;
    QAction* LesenMenu;
    QAction* SetzenMenu;
    QAction* Parameterkopieren1;
    QAction* MesswerteMenu;
    QAction* lesedauernd;
    QMenu* HilfeMenu;
    QAction* InfoMenu;
    QAction* Fehlermeldungen;
    QMenu* LanguageMenu;
    QAction* EnglishMenu;
    QAction* GermanMenu;
    QMenu* FehlerPopup;
    QAction* clearFehler;
    QMenu* spezial1;
    QAction* SWDownload;
    QAction* SWDownloadMNTB1;
    QAction* SUM;
    QAction* transferieremotfile1;

    QToolBar* ToolBar;
    QAction* OeffnenButton;
    QAction* SichernButton;
    QAction* SuchenButton;
    QAction* LesenButton;
    QAction* SetzenButton;
    QAction* StartButton;
    QAction* ParalisteButton;
    QAction* topalm;
    QAction* frompalm;
    QAction* EndeButton;
    bool m_languageChosen = false; // a language menu item was used in this window
    bool m_running = false;        // StartButton's picture: stopped (GO) or running (STOP)
    // Drawn once: nothing on the polling path allocates a picture.
    std::array<QPixmap, 4> m_connectorPictures;
    std::array<QPixmap, 2> m_ledPictures;
    int m_shownConnector = -1;
    std::array<int, 4> m_shownLeds{-1, -1, -1, -1};
    std::array<int, 2> m_shownPins{-1, -1}; // LPin2, LPin4: lit or not

    Qs40FormDrawing* P_draw_Q40;
    QGroupBox* GBSchaltzustand;
    QLabel* m_nearHead;
    QLabel* m_farHead;
    std::array<QLabel*, 4> m_leds{}; // nah_1, fern_1, nah_2, fern_2
    QGroupBox* GBAbstand;
    QSlider* AbstandsBalken;
    QLabel* AbstandsText;
    QGroupBox* GBReserve;
    QSlider* ReserveBalken;
    QLabel* ReserveText;
    QPlainTextEdit* FehlerMeldung;
    QGroupBox* PPinbelegung;
    QLabel* Stecker_bild;
    std::array<QLabel*, 8> m_pins{}; // LPin1 .. LPin8
    QLabel* m_sensorPanel;
    QLabel* m_portPanel;
    QLabel* m_statusPanel;
    QTimer* TimerLesen;
};

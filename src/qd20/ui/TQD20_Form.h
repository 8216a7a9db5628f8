#pragma once
// The ZYL24 window: finds a sensor on a serial line or RS-485 bus, reads its parameter set into
// the controls, lets the user edit every group and send it back, and shows measured values.
//
// The window is spread over several files by feature:
//   TQD20_Form.cpp            construction, showing and closing, the registry record, control sets
//   TQD20_FormLayout.cpp      widgets, menus, tool bar and layout
//   TQD20_FormTexts.cpp       both languages, help
//   TQD20_FormConnection.cpp  exchanges, search, manual connection, read all, write all
//   TQD20_FormEditing.cpp     the transfers of the single parameter groups
//   TQD20_FormScreen.cpp      what keeps editors, labels, read-only fields and plot levels in step
//   TQD20_FormMeasure.cpp     measurement polls, single measurements, block read, CSV export
//   TQD20_FormProject.cpp     project files (.qel)
//   TQD20_FormService.cpp     simulation window, pixel views, service connection, Halvern sensors
//
// Controls and handlers are public so that the window's other parts (measurement, project file,
// simulation, service functions) and the tests can reach them by name.
#include "PixelHistory.h"
#include "Qd20Commands.h"
#include "Qd20Measurement.h"
#include "Qd20SampleMemory.h"
#include "Qd20Settings.h"
#include "SensorWindow.h"

#include <QHash>
#include <QMainWindow>
#include <QMetaObject>
#include <QPointer>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolBar;
class QToolButton;
class TCGraphic;
class TCSchaltpunkt;
class TCSlide;
class SerialDevice;
struct AppState;
struct LinkReason;
struct Qd20WindowRecord;

class TQD20_Form : public QMainWindow, public SensorWindow {
    Q_OBJECT
public:
    explicit TQD20_Form(AppState& app, QWidget* parent = nullptr);
    ~TQD20_Form() override;

    // SensorWindow: the start window hands over the COM number and shows the window.
    void setPortNumber(int com) override { PortNumber = com; }
    int portNumber() const override { return PortNumber; }
    void showSensorWindow() override;

    // ---- Menus, tool bar, pop-up menus --------------------------------------------------------
    QMenu* DateiMenu = nullptr;
    QAction* OeffnenMenu = nullptr; // project file: connected by the project-file code
    QAction* SichernMenu = nullptr;
    QAction* EndeMenu = nullptr;
    QAction* SuchenMenu = nullptr;
    QAction* ManuellMenu = nullptr;
    QAction* TrennenMenu = nullptr;
    QMenu* DatenMenu = nullptr;
    QAction* LesenMenu = nullptr;
    QAction* SetzenMenu = nullptr;
    QAction* EEPROMspeichern1 = nullptr;
    QAction* Werkseinstellung1 = nullptr;
    // The sensor menu holds only hidden items (variants, Halvern); it shows itself as soon as
    // one of its items is made visible.
    QMenu* SensorMenu = nullptr;
    QAction* QD20NVB701 = nullptr;
    QAction* QD20NVB2201 = nullptr;
    QAction* QD60NVB5001 = nullptr;
    QAction* HalvernMenu = nullptr;
    QAction* Simulation1 = nullptr;
    QMenu* spezial1 = nullptr; // service functions; hidden
    QAction* lesePixeldaten1 = nullptr;
    QAction* lesePixeldatenMemo1 = nullptr;
    QAction* enableSensor1 = nullptr;
    // Service entries without a function of their own; the first six and disableService stay
    // disabled until the service connection (enableSensor1) is made.
    QAction* SWDownload = nullptr;
    QAction* SWVersion = nullptr;
    QAction* Produktionsnummer = nullptr;
    QAction* Gertevariante = nullptr;
    QAction* SoftwarevarianteS0 = nullptr;
    QAction* SoftwarevarianteS1 = nullptr;
    QAction* enableService = nullptr;
    QAction* disableService = nullptr;
    QAction* undokumentierterBefehl1 = nullptr;
    QMenu* HilfeMenu = nullptr;
    QAction* Inhalt1 = nullptr;
    QAction* InfoMenu = nullptr;
    QMenu* LanguageMenu = nullptr;
    QAction* GermanMenu = nullptr;
    QAction* EnglishMenu = nullptr;

    QToolBar* Panel1 = nullptr;
    QAction* SuchenButton = nullptr;
    QAction* LesenButton = nullptr;
    QAction* SetzenButton = nullptr;
    QAction* SichernButton = nullptr; // project file: connected by the project-file code
    QAction* OeffnenButton = nullptr;
    QAction* EndeButton = nullptr;

    QMenu* PopupMenu1 = nullptr; // quick info of the parameter controls
    QAction* Direkthilfe1 = nullptr;
    QMenu* PopupMenu2 = nullptr; // quick info of the measurement displays
    QAction* MenuItem1 = nullptr;
    QMenu* PopupLevel = nullptr; // the plot's menu
    QAction* Refresh1 = nullptr;
    QAction* Direkthilfe2 = nullptr;

    // ---- Parameter groups ---------------------------------------------------------------------
    QGroupBox* GBQ1 = nullptr;
    TCSlide* FktQ1Slide = nullptr;
    TCSlide* OSQ1_Slide = nullptr;
    TCSlide* IVQ1Slide = nullptr;
    TCSlide* SetQ1Slide = nullptr;
    QPushButton* BSETQ1 = nullptr;

    QGroupBox* GBQ2 = nullptr;
    TCSlide* FktQ2Slide = nullptr;
    TCSlide* OSQ2_Slide = nullptr;
    TCSlide* IVQ2Slide = nullptr;
    QPushButton* BSETQ2 = nullptr;

    QGroupBox* P_draw_Q20 = nullptr;
    QLabel* TSP1 = nullptr;
    TCSchaltpunkt* SP_Q1 = nullptr;
    QLabel* LQ1_1 = nullptr;
    QLabel* LQ1_2 = nullptr;
    QLabel* TSP2 = nullptr;
    TCSchaltpunkt* SP_Q2 = nullptr;
    QLabel* LQ2_1 = nullptr;
    QLabel* LQ2_2 = nullptr;

    QGroupBox* GBKennlinie = nullptr;
    TCSchaltpunkt* SP_QA = nullptr;
    QLineEdit* ENull = nullptr; // 4 mA distance, read-only
    QLineEdit* EVoll = nullptr; // 20 mA distance, read-only
    QPushButton* BAN = nullptr;

    QGroupBox* GBTv = nullptr;
    TCSlide* TVSlide = nullptr;
    QGroupBox* GBHold = nullptr;
    TCSlide* Hold_Slide = nullptr;
    QGroupBox* GBBW = nullptr;
    TCSlide* BWSlide = nullptr;
    QCheckBox* CBlowlight = nullptr; // always hidden; follows the sensor

    QGroupBox* GBSensor = nullptr;
    QLabel* LAdresse = nullptr;
    QComboBox* Slave_Adr = nullptr;
    QPushButton* BCA = nullptr;
    QPushButton* BES = nullptr;
    QPushButton* BWE = nullptr;

    // ---- Measurement: displays, buttons, plot and timers ----------------------------------------
    // The polling and export code connects the buttons and timers; this part only places them,
    // stops the timers when the connection ends and keeps the plot's levels.
    QGroupBox* GBSchaltzustand = nullptr;
    QLabel* led_q1 = nullptr;
    QLabel* led_qv = nullptr;
    QGroupBox* Schaltzustand = nullptr;
    QLabel* AbstandsText = nullptr;
    QProgressBar* AbstandGauge = nullptr;
    QToolButton* StartButton = nullptr;       // "repeat"
    QToolButton* StartButtonSingle = nullptr; // "single"
    QGroupBox* Q1Messwerte = nullptr;
    QLabel* Q1_Werte = nullptr;
    QToolButton* TriggerButton = nullptr;
    QToolButton* TriggerButtonSingle = nullptr;
    TCGraphic* Grafik = nullptr;
    QTimer* RohDataTimer = nullptr;   // 40 ms distance poll
    QTimer* MessDataTimer = nullptr;  // 40 ms Q1 poll
    QTimer* TimerPixelGraf = nullptr; // service: pixel curve
    QTimer* TimerPixel = nullptr;     // service: pixel text
    QTimer* HalvernDataTimer = nullptr;
    QPlainTextEdit* Memo1 = nullptr; // service: pixel text lines; hidden until used
    QMenu* PopupMemo = nullptr;      // Memo1's menu
    QAction* MenuItem2 = nullptr;    // "Verbergen"

    // ---- Status ---------------------------------------------------------------------------------
    QCheckBox* data_ok = nullptr; // "Data ok:": the last exchange was complete, correct and accepted
    QString statusText(int panel) const;

    // ---- Connection state -------------------------------------------------------------------------
    int PortNumber = 0; // COM number; 0 = none chosen yet
    bool Connected = false;
    bool SettingsStored = true; // the sensor's EEPROM holds what the window shows
    bool VariantFixed = false;  // variant chosen from the sensor menu, not taken from the sensor
    int SearchAddress = 0;
    int FoundCount = 0;
    std::uint8_t TypeBeforeSearch = 0;
    std::array<std::uint8_t, 128> FoundTypes{}; // sensor type per bus address found
    std::array<std::uint8_t, 18> ParameterBlock{};
    QTimer* TSuchen = nullptr; // the search: one address per 10 ms tick
    char TxCommand = 0;        // command letter of the last exchange
    bool HalvernMode = false;  // the port serves a Halvern sensor, not a ZYL24 bus

    // ---- Exchanges --------------------------------------------------------------------------------
    // One exchange with the sensor at the address of Slave_Adr (asked for when the box holds no
    // number). Sets data_ok and the status line; while the simulation window is open the request
    // is shown there instead of sent. Returns data_ok; the reply data stay in lastReply().
    bool Qd20Transact(char command, std::initializer_list<std::uint8_t> data = {});
    // The same for a request that already carries its address.
    bool Qd20Transact(const Qd20Request& request);
    const std::vector<std::uint8_t>& lastReply() const { return m_reply; }
    // The address of Slave_Adr; asks with an input box when it is not a number. Empty (and the
    // box focused) when there is still no address from 1 to 128.
    std::optional<std::uint8_t> busAddress();
    bool simulating() const;
    bool connectedOrSimulating() const { return Connected || simulating(); }

    // ---- Connection handlers ------------------------------------------------------------------------
    void SuchenMenuClick();
    void TSuchenTimer();
    void ManuellMenuClick();
    void LesenMenuClick();
    void SetzenButtonClick();
    void TrennenMenuClick();
    void SetConnectedControls();
    void SetDisconnectedControls();
    void ApplySensorVariant();
    // The variant items of the sensor menu: read the sensor as the chosen variant.
    void readAsVariant(int sensorType);
    const Qd20Variant& variant() const { return *m_variant; }

    // ---- Parameter transfers --------------------------------------------------------------------------
    void BSETQ1Click();
    void BSETQ2Click();
    void BANClick();
    void TVSlideChange();
    void Hold_SlideChange();
    void BWSlideExit();
    void CBlowlightMouseUp();
    void SetQ1SlideChange();
    void BESClick();
    void BWEClick();
    void BCAClick();

    // ---- Screen-only handlers -----------------------------------------------------------------------
    void SP_Q1ChangeSP1();
    void SP_Q1ChangeSP2();
    void SP_Q2ChangeSP1();
    void SP_Q2ChangeSP2();
    void SP_QAChangeSP1();
    void SP_QAChangeSP2();
    void GrafikChangeLevel();
    void Refresh1Click();
    void FktQ1SlideChange();
    void FktQ2SlideChange();
    void OSQ1_SlideChange();
    void OSQ2_SlideChange();
    void IVQ1SlideChange();
    void IVQ2SlideChange();
    void Slave_AdrChange();

    // Everything the controls show, as plain values (points from the editors).
    Qd20Settings settingsFromControls() const;
    // Puts values into sliders and editors and runs the screen updates that follow from them.
    void applySettingsToControls(const Qd20Settings& settings);

    // ---- Measurements and export (TQD20_FormMeasure.cpp) ------------------------------------------
    void RohDataTimerTimer();
    void MessDataTimerTimer();
    void StartButtonClick();
    void TriggerButtonClick();
    void StartButtonSingleClick();
    void TriggerButtonSingleClick();
    void MessModeChange();
    void STsaveClick();
    const Qd20SampleMemory& samples() const { return m_samples; }

    // ---- Project file (TQD20_FormProject.cpp) ---------------------------------------------------------
    void SichernButtonClick();
    void OeffnenButtonClick();

    // ---- Simulation and service functions (TQD20_FormService.cpp) --------------------------------------
    void Simulation1Click();
    void lesePixeldaten1Click();
    void TimerPixelGrafTimer();
    void lesePixeldatenMemo1Click();
    void TimerPixelTimer();
    void MenuItem2Click();
    void enableSensor1Click();
    void HalvernMenuClick();
    void HalvernDataTimerTimer();
    const PixelHistory& pixels() const { return m_pixels; }

    // ---- Languages and help -------------------------------------------------------------------------
    void GermanMenuClick();
    void EnglishMenuClick();
    void Inhalt1Click();
    void InfoMenuClick();
    // Opens the help topic of a control (its own context number or that of the nearest parent).
    void showQuickInfo(QWidget* control);
    int helpContext(const QObject* control) const;

    // ---- Transfer marks -----------------------------------------------------------------------------
    // Entry of the shared LED image list shown on a "set" button; 0 when it shows none.
    static constexpr int kConfirmImage = 6;
    static constexpr int kFactoryPresetImage = 4;
    int transferMark(const QPushButton* button) const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class StatusKind { Empty, NoData, Bytes };

    // Layout (TQD20_FormLayout.cpp)
    void buildMenus();
    void buildToolBar();
    void buildCentral();
    QWidget* buildParameterColumn();
    QWidget* buildDisplayColumn();
    void buildStatusBar();
    void connectHandlers();
    void attachEditorHandlers();
    void detachEditorHandlers();
    void setHelpContexts();
    void setHelpContext(QWidget* control, int context, QMenu* menu);

    // Texts (TQD20_FormTexts.cpp)
    void retranslateUi();
    QString sendErrorText() const;
    QString noSensorText() const;

    // Showing and closing (TQD20_Form.cpp)
    void FormShow();
    bool FormClose();
    // The window's record and the full address beside it; what cannot be used is warned about.
    void readSettings();
    void applyRecord(const Qd20WindowRecord& record, QStringList& ignored);
    void writeSettings();
    void setConnectedSet(bool enabled);
    void setStatus(int panel, const QString& text);
    static void setTextIfChanged(QLabel* label, const QString& text);
    void showExchangeStatus(StatusKind kind, const QString& hex = QString());
    void showNoSensorPanels();
    void setMark(QPushButton* button, int image);
    void clearMark(QPushButton* button);
    void setLed(QLabel* led, int image);
    void stopWindowTimers();

    // Connection (TQD20_FormConnection.cpp)
    void prefillPortDialog();
    bool takePortDialogChoices();
    bool openBusPortChecked();
    void showNotConnected();
    // Closes the port and shows the window without a sensor.
    void endConnection();
    // The port failed under an exchange (a pulled adapter): whatever ran on it ends, the
    // connection with it, and the window says why, once.
    void lineLost(const LinkReason& why);
    bool probeAddress(std::uint8_t address);
    void finishSearch();
    // Stops the search's timer and progress and gives back the connection commands.
    void endSearchRun();
    // 4 ms between bytes, 2 ms per byte, and the constant part of the read time-out.
    void applyMeasurementTimeouts(std::uint32_t totalConstantMs = 2000);
    // The device of the window's port; null while the port is closed.
    SerialDevice* openDevice() const;
    QString portPanelText() const;

    // Measurements (TQD20_FormMeasure.cpp)
    std::optional<Qd20Measurement> measure(char command, bool askForAddress);
    void showMeasurement(const Qd20Measurement& m, char command);
    void poll(char command);
    void singleMeasurement(char command);
    void storeAndDraw(std::uint16_t value);
    bool writeUserFile(const QString& path, const std::string& content);
    void startExclusive(QTimer* timer);
    void togglePoll(QTimer* timer);
    void showTimerStates();
    void preparePlotForPolling();
    void blockRead();
    QString notEnoughMemoryText() const { return QStringLiteral("not enough memory!"); }

    // Service (TQD20_FormService.cpp)
    void buildServiceMenu();
    void showServiceItems();
    void leaveHalvernMode();
    // The address in Slave_Adr, without asking: for timer ticks.
    std::optional<std::uint8_t> typedAddress() const;
    std::optional<int> numberEntry(const QString& caption, const QString& prompt, int preset, int fallback);

    // Transfers (TQD20_FormEditing.cpp)
    std::optional<std::uint8_t> transferAddress();
    Qd20Sender transferSender();
    void sendSetting(const std::function<Qd20Request(std::uint8_t address)>& build);
    void endOfTransfer(bool ok, std::optional<std::uint8_t> address);
    using OutputSender = bool (*)(const Qd20Sender&, std::uint8_t, const Qd20Settings&, const Qd20Variant&,
                                  bool);
    void sendOutput(OutputSender send, QPushButton* setButton);

    // Screen (TQD20_FormScreen.cpp)
    void updateOutputFunction(bool q2);
    void showOutputPoints(TCSchaltpunkt* editor, QLabel* first, QLabel* second, int firstLevel,
                          int secondLevel, QPushButton* setButton);
    void showQ1Points();
    void showQ2Points();
    void showPointTexts();
    void showAnalogPoints(bool both);
    void setLevelsFromEditors();
    void refreshEditors();
    void setEditorScale(TCSchaltpunkt* editor);
    QString pointText(const TCSchaltpunkt* editor, float mm) const;

    AppState& m_app;
    const Qd20Variant* m_variant;
    bool m_presetPending = false; // the first variant after showing presets the points
    std::vector<std::uint8_t> m_reply;
    QHash<const QObject*, int> m_helpContexts;
    QPointer<QWidget> m_popupControl; // the control a quick-info menu was opened on
    std::array<QLabel*, 3> m_statusPanels{};
    StatusKind m_statusKind = StatusKind::Empty;
    QString m_statusHex;
    bool m_noSensorShown = true;
    bool m_disconnectedByUser = false; // "Trennen" ended the last connection
    bool m_lineLost = false;           // the port failed and has not been opened again since
    std::array<QMetaObject::Connection, 6> m_editorConnections{};
    Qd20SampleMemory m_samples; // measurement ring, stream block and pixel curve
    PixelHistory m_pixels;
};

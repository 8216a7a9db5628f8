#pragma once
// The ZYL 36 window: 16 switch points in four protection fields ("Gerade", "Rechts", "Links",
// "Weitwinkel", each with two near and two far points) and four hysteresis values of a NUVA
// sensor (types 12, 13) or of a QS40MNTB-Metall on the text protocol (type 7). It finds the
// sensor, reads and writes the values with read-back and EEPROM store, selects the protection
// field, polls the distance (and supervises it on the RTS line of a second port), keeps project
// files and its last values, and opens the limit parameter dialog.
//
// The logic lives in NuvaSession; this class maps controls to it. Spread over files by feature:
//   TQS40_NUVA_Form.cpp         construction, showing and closing, the record, status line
//   TQS40_NUVA_FormLayout.cpp   widgets, menus, tool bar
//   TQS40_NUVA_FormTexts.cpp    both languages
//   TQS40_NUVA_FormActions.cpp  connection, read, write, store, field, polling, limits, presets
//   TQS40_NUVA_FormProject.cpp  project files
#include "NuvaCommands.h"
#include "NuvaSession.h"
#include "SensorWindow.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QTimer;
class QToolBar;
class TCSchaltpunkt;
class TCSlide;
class TLimitParas;
struct AppState;

class TQS40_NUVA_Form : public QMainWindow, public SensorWindow {
    Q_OBJECT
public:
    static constexpr int kTypeMetall = NuvaSession::kTextProtocolType;
    static constexpr int kPollMs = 1000;
    static constexpr int kSupervisionPollMs = 100;

    explicit TQS40_NUVA_Form(AppState& app, QWidget* parent = nullptr);
    ~TQS40_NUVA_Form() override;

    void setPortNumber(int com) override { m_session.setPortNumber(com); }
    int portNumber() const override { return m_session.portNumber(); }
    void showSensorWindow() override;

    // What the limit dialog reads of this window and does through it.
    NuvaSession& session() { return m_session; }
    int ConnectedType() const { return m_session.connectedType(); }
    TLimitParas* limitDialog() const { return m_limits; }
    // After the limit dialog wrote the sensor's limits: stored in its EEPROM or not.
    void limitsWritten(bool stored);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void SuchenButtonClick();
    void TSuchenTimer();
    void ManuellMenuClick();
    void LesenButtonClick();
    void SetzenButtonClick();
    void EEPROMspeichern1Click();
    void StartButtonClick();
    void MesswerteMenuClick();
    void Timer1Timer();
    void CSSchutzfeldExit();
    void OeffnenButtonClick();
    void SichernButtonClick();
    void LimitParameter1Click();
    void EnglandClick();
    void England_12Click();
    void GermanMenuClick();
    void EnglishMenuClick();
    void InfoMenuClick();
    void HysteresisChange();
    void SwitchPointChange();

private:
    // Layout
    void buildMenus();
    void buildToolBar();
    void buildCentral();
    QGroupBox* buildFieldGroup(int field);
    void buildStatusBar();
    void connectHandlers();

    // Texts
    void retranslateUi();
    QString readErrorText() const;
    QString transferErrorText() const;

    // Showing, closing, record, status
    void FormShow();
    bool FormClose();
    void readRecord();
    void writeRecord();
    void setStatus(int panel, const QString& text);
    void showExchangeStatus();
    void setDataOk(bool ok);
    void setGlyph(const char* name);

    // Connection and values
    void afterConnection(const NuvaSession::Connection& c, bool fromSearch);
    // Controls, status line and displays of a window without a sensor.
    void showNoSensor();
    // After an operation: when the line failed under it, the session has ended the connection;
    // the window shows that and says why, once. True when it did.
    bool lineLost();
    void endSearch();
    void applyTypeLayout();
    void setSensorControlsEnabled(bool enabled);
    std::array<long long, kNuvaSwitchPointCount> pointValues() const;
    std::array<long long, kNuvaHysteresisCount> hysteresisValues() const;
    void showHysteresis(const std::array<long long, kNuvaHysteresisCount>& values);
    void setPoint(std::size_t k, double mm);
    void stopPolling();
    void showDistance(int mm);
    void applyPreset(std::size_t index, bool store);
    void error(const QString& text);
    void markStored();

    AppState& m_app;
    NuvaSession m_session;
    TLimitParas* m_limits = nullptr;

    int MaxDistance = NuvaSession::maxDistance(kNuvaTypeMntd);
    bool SettingsStored = true;
    bool m_loading = false; // values set by the program, not edits of the user
    std::array<long long, kNuvaHysteresisCount> Hysteresis{300, 300, 300, 300};
    bool m_noSensorStatus = false;

    // Menus and tool bar
    QMenu* DateiMenu = nullptr;
    QAction* OeffnenMenu = nullptr;
    QAction* SichernMenu = nullptr;
    QAction* EndeMenu = nullptr;
    QMenu* SensorMenu = nullptr;
    QAction* ManuellMenu = nullptr;
    QAction* SuchenMenu = nullptr;
    QAction* N8bit = nullptr;
    QMenu* DatenMenu = nullptr;
    QAction* LesenMenu = nullptr;
    QAction* SetzenMenu = nullptr;
    QAction* EEPROMspeichern1 = nullptr;
    QAction* MesswerteMenu = nullptr;
    QAction* lesedauerndMenu = nullptr;
    QMenu* spezial1 = nullptr;
    QAction* LimitParameter1 = nullptr;
    QAction* Ueberwachung = nullptr;
    QAction* transferiereMotfile = nullptr;
    QAction* SWDownload = nullptr;
    QMenu* HilfeMenu = nullptr;
    QAction* InfoMenu = nullptr;
    QMenu* LanguageMenu = nullptr;
    QAction* GermanMenu = nullptr;
    QAction* EnglishMenu = nullptr;
    QToolBar* Panel1 = nullptr;
    QAction* OeffnenButton = nullptr;
    QAction* SichernButton = nullptr;
    QAction* SuchenButton = nullptr;
    QAction* LesenButton = nullptr;
    QAction* SetzenButton = nullptr;
    QAction* StartButton = nullptr;
    QAction* EndeButton = nullptr;

    // Switch points
    QGroupBox* GBSchaltpunkte = nullptr;
    std::array<QGroupBox*, kNuvaFieldCount> m_fieldGroups{}; // GBGerade, GBRechts, GBLinks, GBWeitwinkel
    std::array<TCSchaltpunkt*, kNuvaSwitchPointCount> m_points{};

    // Right column
    QGroupBox* GBAbstand = nullptr;
    QSlider* AbstandBar = nullptr;
    QLabel* AbstandText = nullptr;
    QLabel* Energie = nullptr;
    QGroupBox* GBHysterese = nullptr;
    std::array<QLineEdit*, kNuvaHysteresisCount> m_hysteresisEdits{}; // EHn1, EHn2, EHf1, EHf2
    QGroupBox* GBSchutzfeld = nullptr;
    TCSlide* CSSchutzfeld = nullptr;
    QGroupBox* GBAdressen = nullptr;
    QLineEdit* Slave_Adr = nullptr;
    QLineEdit* Master_Adr = nullptr;
    QPushButton* BES = nullptr;
    QPushButton* England = nullptr;
    QPushButton* England_12 = nullptr;
    QLabel* Logo = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* TSuchen = nullptr; // the search: one port per tick

    // Status line
    std::array<QLabel*, 3> m_statusPanels{};
    QCheckBox* data_ok = nullptr;
};

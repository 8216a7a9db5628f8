#pragma once
// The start window: the choice of sensor family, the language, and the memory of the last run
// (family, port, language), which it restores on its first showing by reopening that family's
// window. Closing it ends the program.
#include <QMainWindow>
#include <QStringList>

#include <cstdint>

class QAction;
class QLabel;
class QMenu;
class QToolButton;
class SensorWindow;
struct AppState;

class TStartForm : public QMainWindow {
    Q_OBJECT
public:
    // Sensor type codes set by the start window's buttons. The hidden buttons of former
    // layouts are gone; their codes stay reserved so that no other meaning is given to them.
    static constexpr std::uint8_t kCodeZyl24 = 1;
    static constexpr std::uint8_t kCodeQ55 = 5;    // reserved
    static constexpr std::uint8_t kCodeQs40 = 7;   // QS40MNTB, offered with the second access word
    static constexpr std::uint8_t kCodeZyl36 = 8;
    static constexpr std::uint8_t kCodeRpx31 = 9;  // reserved
    static constexpr std::uint8_t kCodeQd20C = 16; // reserved
    // Help page of the start window.
    static constexpr int kHelpContext = 100;

    // arguments: the command line without the program name and without launcher options.
    TStartForm(AppState& app, const QStringList& arguments, QWidget* parent = nullptr);

    // The family windows the dispatcher shows (either may be null: that family opens nothing).
    void setSensorWindows(SensorWindow* zyl24, SensorWindow* zyl36);
    // The QS40 window, offered only with the second access word.
    void setQs40Window(SensorWindow* qs40) { m_qs40 = qs40; }

    // Shows the family window of SensorType with the given COM number. The caption is not used.
    void ShowSensorWindow(int port, const QString& caption = QString());
    // Restores the last run, then shows in one message what could not be used of it and of the
    // settings read before (AppState::startWarnings).
    void LoadStartSettings();
    void SaveStartSettings();
    // True for the codes shown in the ZYL24 window.
    static bool isZyl24Code(std::uint8_t code);

    QToolButton* Q20Button;
    QToolButton* QS40Button;
    QToolButton* QS40MntbButton; // shown with ExpertAccess
    QToolButton* EndeButton;
    QLabel* Logo;
    QMenu* DateiMenu;
    QAction* EndeMenu;
    QMenu* HilfeMenu;
    QAction* InhaltMenu;
    QAction* InfoMenu;
    QMenu* LanguageMenu;
    QAction* GermanMenu;
    QAction* EnglishMenu;
    QLabel* SensorPanel;
    QLabel* PortPanel;

public slots:
    void Q20ButtonClick();
    void QS40ButtonClick();
    void QS40MntbButtonClick();
    void EndeButtonClick();
    void InfoMenuClick();
    void InhaltMenuClick();
    void GermanMenuClick();
    void EnglishMenuClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormShow();
    void retranslateUi();
    // Closes the family windows first, so that each can still ask about unsaved settings.
    bool closeSensorWindows();
    static bool raiseIfShown(SensorWindow* window);
    void restoreLastRun();

    AppState& m_app;
    SensorWindow* m_zyl24 = nullptr;
    SensorWindow* m_zyl36 = nullptr;
    SensorWindow* m_qs40 = nullptr;
    bool m_firstPaintPending = true;
};

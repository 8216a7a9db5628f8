#pragma once
// The port settings dialog. It only collects choices: the calling window prefills the boxes,
// greys what the user must not change, shows it with showModal() and reads the boxes back when
// the result is QDialog::Accepted. Each showing offers to close the ports this program still
// holds and lists the COM numbers that are real serial lines (RS-232 or RS-422). The device
// chosen for a number and "use anyway" last only when the dialog is left with OK.
#include <QDialog>

#include <map>
#include <optional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class PortDeviceChooser;
struct AppState;

class TCOMPortDialog : public QDialog {
    Q_OBJECT
public:
    // COM numbers offered by the dialog.
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 19;

    explicit TCOMPortDialog(AppState& app, QWidget* parent = nullptr);

    // In tab order.
    QComboBox* PortNummer;
    QComboBox* BaudRate;
    QComboBox* StopBits;
    QComboBox* Parity;
    QComboBox* Datenbits;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QComboBox* CBTimeout;
    QComboBox* CBrts;
    // The device behind the chosen COM number (read-only), with what the last probe saw.
    QLineEdit* DevicePath;
    // Offered for a port whose driver reports a type other than RS-232 or RS-422; the choice
    // is remembered per COM number.
    QCheckBox* UseAnyway;
    // Puts another device behind the chosen COM number.
    PortDeviceChooser* DeviceChooser;

    // Runs the show logic (close question, port list), then the modal loop; returns
    // QDialog::Accepted or QDialog::Rejected.
    int showModal();
    // With a result set, showModal() runs the show logic and returns that result without
    // waiting for the user (for tests of the calling windows). nullopt restores the dialog.
    void setAutoAnswer(std::optional<int> result) { m_autoAnswer = result; }

    // The show logic on its own.
    void FormShow();

    // Ends the dialog; with Accepted the device and "use anyway" choices of this showing last,
    // otherwise they are undone.
    void done(int result) override;

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Probe {
        bool serialType = true; // the driver reports RS-232 or RS-422
        bool systemRs485 = false;
    };
    void updateDevicePath();
    void useAnywayToggled(bool on);
    void finishChoices(bool keep);
    void retranslateUi();

    AppState& m_app;
    QLabel* m_deviceLabel = nullptr;
    QFormLayout* m_form = nullptr;
    QLabel* m_chooserLabel = nullptr;
    std::optional<int> m_autoAnswer;
    std::map<int, Probe> m_probes; // what FormShow saw per COM number
    std::map<int, bool> m_useAnywayBefore; // per number toggled in this showing
};

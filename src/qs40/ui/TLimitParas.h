#pragma once
// The limit parameter dialog of the ZYL 36 window: the eight evaluation limits of a NUVA sensor
// (types 12, 13) or the four of a QS40MNTB-Metall (type 7), and the near-range switch-off of
// NUVA sensors that have it. The window fills it and shows it without blocking; "set" writes
// the values back and stores them in the sensor.
#include "NuvaCommands.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TQS40_NUVA_Form;
struct AppState;

class TLimitParas : public QDialog {
    Q_OBJECT
public:
    TLimitParas(AppState& app, TQS40_NUVA_Form& window, QWidget* parent = nullptr);

    // The values in the order of the sensor's limit record.
    void setValues(const std::array<long long, kNuvaLimitCount>& values);
    // Shows the near-range check box only for a sensor that has the function.
    void setNearSwitch(const NuvaNearSwitch& state);
    void setOk(bool ok);

    // Asks, then writes the values (and the near-range switch-off) and stores them. True when
    // every request was accepted; false also when the user said No.
    bool BSetClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    AppState& m_app;
    TQS40_NUVA_Form& m_window;
    // EAnzHyst, EPHyst, EMinAnz, EPegel1, EPegel2, EPegel3, ESchwelle1, ESchwelle2
    std::array<QLineEdit*, kNuvaLimitCount> m_edits{};
    std::array<QLabel*, kNuvaLimitCount> m_labels{};
    QPushButton* BSet = nullptr;
    QCheckBox* CBOk = nullptr;
    QCheckBox* RB_nah = nullptr;
};

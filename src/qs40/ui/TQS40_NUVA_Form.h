#pragma once
// Placeholder of the ZYL 36 window: it keeps the port the start window hands over and says
// that the window is not part of this version yet.
#include "SensorWindow.h"

#include <QMainWindow>

class QLabel;
struct AppState;

class TQS40_NUVA_Form : public QMainWindow, public SensorWindow {
    Q_OBJECT
public:
    explicit TQS40_NUVA_Form(AppState& app, QWidget* parent = nullptr);

    void setPortNumber(int com) override { PortNumber = com; }
    int portNumber() const override { return PortNumber; }
    void showSensorWindow() override;

    int PortNumber = 0;

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslateUi();

    AppState& m_app;
    QLabel* m_notice;
};

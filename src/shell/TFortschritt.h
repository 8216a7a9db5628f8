#pragma once
// The progress dialog of searches and baud-rate scans. It is shown without blocking, so the
// timer chain of a search keeps running; its only button sets the program's StopSearch flag,
// which the next tick reads.
#include "Progress.h"

#include <QDialog>

class QProgressBar;
class QPushButton;
struct AppState;

class TFortschritt : public QDialog, public Progress {
    Q_OBJECT
public:
    explicit TFortschritt(AppState& app, QWidget* parent = nullptr);

    QProgressBar* ProgressBar;
    QPushButton* BitBtn1;

    // Progress
    void setMaximum(int maximum) override;
    void reset() override;
    void advance(int by) override;
    bool stopRequested() const override;

public slots:
    void BitBtn1Click();
    // Escape means the same as the button; the dialog stays until its user hides it.
    void reject() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslateUi();

    AppState& m_app;
};

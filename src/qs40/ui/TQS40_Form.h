#pragma once
// Placeholder: the window exists with its caption; its contents are not part of this version.
#include <QMainWindow>

class TQS40_Form : public QMainWindow {
    Q_OBJECT
public:
    explicit TQS40_Form(QWidget* parent = nullptr);
};

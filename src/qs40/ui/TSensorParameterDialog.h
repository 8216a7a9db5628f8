#pragma once
// Placeholder: the window exists with its caption; its contents are not part of this version.
#include <QDialog>

class TSensorParameterDialog : public QDialog {
    Q_OBJECT
public:
    explicit TSensorParameterDialog(QWidget* parent = nullptr);
};

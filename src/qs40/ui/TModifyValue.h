#pragma once
// Placeholder: the window exists with its caption; its contents are not part of this version.
#include <QDialog>

class TModifyValue : public QDialog {
    Q_OBJECT
public:
    explicit TModifyValue(QWidget* parent = nullptr);
};

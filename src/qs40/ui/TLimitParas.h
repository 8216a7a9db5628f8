#pragma once
// Placeholder: the window exists with its caption; its contents are not part of this version.
#include <QDialog>

class TLimitParas : public QDialog {
    Q_OBJECT
public:
    explicit TLimitParas(QWidget* parent = nullptr);
};

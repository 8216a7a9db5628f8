#include "TModifyValue.h"

TModifyValue::TModifyValue(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Dialog"));
}

#include "TLimitParas.h"

TLimitParas::TLimitParas(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("LimitParameter"));
}

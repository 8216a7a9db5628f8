#include "TSensorParameterDialog.h"

TSensorParameterDialog::TSensorParameterDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Sensor Parameter"));
}

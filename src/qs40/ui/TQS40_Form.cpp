#include "TQS40_Form.h"

TQS40_Form::TQS40_Form(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Vantrisco QS40"));
}

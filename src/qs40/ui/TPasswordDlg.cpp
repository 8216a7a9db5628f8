#include "TPasswordDlg.h"

TPasswordDlg::TPasswordDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Password"));
}

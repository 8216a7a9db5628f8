#include "TQS40_NUVA_Form.h"

#include "AppState.h"

#include <QEvent>
#include <QLabel>

TQS40_NUVA_Form::TQS40_NUVA_Form(AppState& app, QWidget* parent) : QMainWindow(parent), m_app(app) {
    setObjectName(QStringLiteral("QS40_NUVA_Form"));
    setWindowTitle(QStringLiteral("ZYL 36"));
    m_notice = new QLabel(this);
    m_notice->setAlignment(Qt::AlignCenter);
    m_notice->setWordWrap(true);
    m_notice->setMargin(24);
    setCentralWidget(m_notice);
    retranslateUi();
    resize(420, 200);
}

void TQS40_NUVA_Form::showSensorWindow() {
    show();
    raise();
    activateWindow();
}

void TQS40_NUVA_Form::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QMainWindow::changeEvent(event);
}

void TQS40_NUVA_Form::retranslateUi() {
    m_notice->setText(tr("Das Fenster für die ZYL 36-Sensoren ist in dieser Version noch nicht enthalten."));
}

#include "TFortschritt.h"

#include "AppState.h"

#include <QEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TFortschritt::TFortschritt(AppState& app, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_app(app) {
    setObjectName(QStringLiteral("Fortschritt"));
    setModal(false);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);

    BitBtn1 = new QPushButton(this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    // Normal and pressed state come from the style's cancel symbol.
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    BitBtn1->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TFortschritt::BitBtn1Click);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);
    layout->addWidget(ProgressBar);
    layout->addWidget(BitBtn1, 0, Qt::AlignHCenter);

    retranslateUi();
    // The bar's client area; larger only when the fonts need it.
    setFixedSize(QSize(313, 68).expandedTo(sizeHint()));
}

void TFortschritt::setMaximum(int maximum) {
    ProgressBar->setMaximum(maximum < 1 ? 1 : maximum);
}

void TFortschritt::reset() {
    ProgressBar->setValue(ProgressBar->minimum());
    ProgressBar->repaint();
}

void TFortschritt::advance(int by) {
    const qint64 next = qint64(ProgressBar->value()) + by;
    ProgressBar->setValue(int(qBound(qint64(ProgressBar->minimum()), next, qint64(ProgressBar->maximum()))));
    // Searches block between ticks and baud scans block throughout: paint now, not later.
    if (ProgressBar->isVisible())
        ProgressBar->repaint();
}

bool TFortschritt::stopRequested() const {
    return m_app.StopSearch;
}

void TFortschritt::BitBtn1Click() {
    m_app.StopSearch = true;
}

void TFortschritt::reject() {
    BitBtn1Click();
}

void TFortschritt::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QDialog::changeEvent(event);
}

void TFortschritt::retranslateUi() {
    setWindowTitle(tr("Fortschritt"));
    BitBtn1->setText(tr("Abbruch"));
}

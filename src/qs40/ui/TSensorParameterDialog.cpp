#include "TSensorParameterDialog.h"

#include "DialogButtons.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The first maxChars characters as a number; blanks (also empty mask places) do not count.
std::int32_t fieldNumber(const QLineEdit* edit, int maxChars, std::int32_t otherwise) {
    QString text = edit->text().left(maxChars);
    text.remove(QLatin1Char(' '));
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : otherwise;
}

QLineEdit* numberEdit(QWidget* parent, const QString& name, const QString& mask) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    // Every digit place may stay empty; "#" also takes a sign.
    edit->setInputMask(mask);
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("+0000000")) + 16);
    return edit;
}

} // namespace

TSensorParameterDialog::TSensorParameterDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SensorParameterDialog"));
    setWindowTitle(QStringLiteral("Sensor Parameter"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* rows = new QGridLayout;
    m_switchHead = new QLabel(this);
    m_hystHead = new QLabel(this);
    rows->addWidget(m_switchHead, 0, 1);
    rows->addWidget(m_hystHead, 0, 3);
    for (int i = 0; i < kRows; ++i) {
        const QString suffix = i == 0 ? QString() : QString::number(i + 1);
        const auto r = static_cast<std::size_t>(i);
        m_switchEdits[r] =
            numberEdit(this, QStringLiteral("signalonedit") + suffix, QStringLiteral("000000"));
        m_hystEdits[r] =
            numberEdit(this, QStringLiteral("signaloffedit") + suffix, QStringLiteral("#000000"));
        rows->addWidget(new QLabel(QStringLiteral("SP%1").arg(i + 1), this), i + 1, 0);
        rows->addWidget(m_switchEdits[r], i + 1, 1);
        rows->addWidget(new QLabel(QStringLiteral("mm"), this), i + 1, 2);
        rows->addWidget(m_hystEdits[r], i + 1, 3);
        rows->addWidget(new QLabel(QStringLiteral("mm"), this), i + 1, 4);
    }

    auto* limits = new QGridLayout;
    const auto addLimit = [&](int row, const char* name, const char* label, const char* unit) {
        auto* edit = numberEdit(this, QLatin1String(name), QStringLiteral("000000"));
        limits->addWidget(new QLabel(QLatin1String(label), this), row, 0);
        limits->addWidget(edit, row, 1);
        limits->addWidget(new QLabel(QLatin1String(unit), this), row, 2);
        return edit;
    };
    e_nah = addLimit(0, "e_nah", "E_nah", "dez");
    e_fern = addLimit(1, "e_fern", "E_fern", "dez");
    e_dist = addLimit(2, "e_dist", "E_dist", "mm");
    nahzone = addLimit(3, "nahzone", "Nahzone", "mm");

    auto* sensor = new QLabel(QStringLiteral("Sensor: QS40MNTB"), this);
    sensor->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    const DialogButtons dialogButtons = makeDialogButtons(this, QStringLiteral("cancel"));
    OKBtn = dialogButtons.ok;
    CancelBtn = dialogButtons.cancel;

    auto* top = new QHBoxLayout;
    top->addLayout(rows);
    top->addSpacing(24);
    top->addLayout(limits);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(sensor, 1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    retranslateUi();
}

void TSensorParameterDialog::setRow(int row, std::int32_t switchL, std::int32_t switchH) {
    if (row < 0 || row >= kRows)
        return;
    const auto r = static_cast<std::size_t>(row);
    m_switchL[r] = switchL;
    m_switchH[r] = switchH;
    m_switchEdits[r]->setText(QString::number(switchL));
    m_hystEdits[r]->setText(QString::number(switchH));
}

void TSensorParameterDialog::setLimits(std::int32_t en, std::int32_t ef, std::int32_t dt, std::int32_t nd) {
    e_nah->setText(QString::number(en));
    e_fern->setText(QString::number(ef));
    e_dist->setText(QString::number(dt));
    nahzone->setText(QString::number(nd));
}

void TSensorParameterDialog::set_edits() {
    for (int i = 0; i < m_pointCount; ++i) {
        const auto r = static_cast<std::size_t>(i);
        m_switchEdits[r]->setText(QString::number(m_switchL[r]));
        m_hystEdits[r]->setText(QStringLiteral("+") + QString::number(m_switchH[r]));
        m_switchEdits[r]->setVisible(true);
        m_hystEdits[r]->setVisible(true);
    }
}

std::int32_t TSensorParameterDialog::switchL(int row) const {
    return row >= 0 && row < kRows ? fieldNumber(m_switchEdits[static_cast<std::size_t>(row)], 6, 0) : 0;
}

std::int32_t TSensorParameterDialog::switchH(int row) const {
    return row >= 0 && row < kRows ? fieldNumber(m_hystEdits[static_cast<std::size_t>(row)], 7, 0) : 0;
}

std::int32_t TSensorParameterDialog::limitEN() const {
    return fieldNumber(e_nah, 6, kDefaultEN);
}
std::int32_t TSensorParameterDialog::limitEF() const {
    return fieldNumber(e_fern, 6, kDefaultEF);
}
std::int32_t TSensorParameterDialog::limitDT() const {
    return fieldNumber(e_dist, 6, kDefaultDT);
}
std::int32_t TSensorParameterDialog::limitND() const {
    return fieldNumber(nahzone, 6, kDefaultND);
}

void TSensorParameterDialog::showEvent(QShowEvent* event) {
    set_edits();
    QDialog::showEvent(event);
}

void TSensorParameterDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QDialog::changeEvent(event);
}

void TSensorParameterDialog::retranslateUi() {
    m_switchHead->setText(tr("Schaltpunkt"));
    m_hystHead->setText(tr("Hysterese"));
}

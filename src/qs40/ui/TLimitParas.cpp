#include "TLimitParas.h"

#include "AppState.h"
#include "Prompts.h"
#include "TQS40_NUVA_Form.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

const std::array<const char*, kNuvaLimitCount> kEditNames{"EAnzHyst", "EPHyst",  "EMinAnz",    "EPegel1",
                                                          "EPegel2",  "EPegel3", "ESchwelle1", "ESchwelle2"};
const std::array<const char*, kNuvaLimitCount> kLabelNames{"LAnzHyst", "LPHyst",  "LMinAnz",    "LPegel1",
                                                           "LPegel2",  "LPegel3", "LSchwelle1", "LSchwelle2"};
const std::array<const char*, kNuvaLimitCount> kNuvaLabels{
    "Anzahl Hysterese", "Pegel Hysterese", "Min Anzahl", "Min Pegel 1",
    "Min Pegel 2",      "Min Pegel 3",     "Schwelle 1", "Schwelle 2"};
// The four edits a type 7 sensor uses, and their captions there.
constexpr std::array<std::size_t, 4> kMetallEdits{3, 4, 6, 7};
const std::array<const char*, 4> kMetallLabels{"Energie Fern", "Energie Nah", "Abstand N/F", "Nahzone"};
constexpr long long kNuvaFallback = 10;
constexpr long long kMetallFallback = 300;

} // namespace

TLimitParas::TLimitParas(AppState& app, TQS40_NUVA_Form& window, QWidget* parent)
    : QDialog(parent, Qt::Dialog), m_app(app), m_window(window) {
    setObjectName(QStringLiteral("TLimitParas"));
    setWindowTitle(QStringLiteral("LimitParameter"));
    setModal(false);
    auto* grid = new QGridLayout(this);
    for (std::size_t k = 0; k < kNuvaLimitCount; ++k) {
        m_labels[k] = new QLabel(this);
        m_labels[k]->setObjectName(QString::fromLatin1(kLabelNames[k]));
        m_edits[k] = new QLineEdit(QStringLiteral("0"), this);
        m_edits[k]->setObjectName(QString::fromLatin1(kEditNames[k]));
        m_edits[k]->setMaximumWidth(90);
        m_labels[k]->setBuddy(m_edits[k]);
        grid->addWidget(m_labels[k], static_cast<int>(k), 0);
        grid->addWidget(m_edits[k], static_cast<int>(k), 1);
    }
    const int row = static_cast<int>(kNuvaLimitCount);
    RB_nah = new QCheckBox(QStringLiteral("Nahbereichsabschaltung aktiv"), this);
    RB_nah->setObjectName(QStringLiteral("RB_nah"));
    RB_nah->setVisible(false);
    grid->addWidget(RB_nah, row, 0, 1, 2);
    BSet = new QPushButton(QStringLiteral("set"), this);
    BSet->setObjectName(QStringLiteral("BSet"));
    CBOk = new QCheckBox(QStringLiteral("ok"), this);
    CBOk->setObjectName(QStringLiteral("CBOk"));
    CBOk->setAttribute(Qt::WA_TransparentForMouseEvents); // a result, not a choice
    CBOk->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(BSet, row + 1, 0);
    grid->addWidget(CBOk, row + 1, 1);
    connect(BSet, &QPushButton::clicked, this, [this] { BSetClick(); });
}

void TLimitParas::setValues(const std::array<long long, kNuvaLimitCount>& values) {
    for (std::size_t k = 0; k < kNuvaLimitCount; ++k)
        m_edits[k]->setText(QString::number(values[k]));
}

void TLimitParas::setNearSwitch(const NuvaNearSwitch& state) {
    RB_nah->setVisible(state.present);
    if (state.present)
        RB_nah->setChecked(state.active);
}

void TLimitParas::setOk(bool ok) {
    CBOk->setChecked(ok);
}

void TLimitParas::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TLimitParas::FormShow() {
    const bool metall = m_window.ConnectedType() == TQS40_NUVA_Form::kTypeMetall;
    for (std::size_t k = 0; k < kNuvaLimitCount; ++k) {
        const bool used =
            !metall || std::find(kMetallEdits.begin(), kMetallEdits.end(), k) != kMetallEdits.end();
        m_edits[k]->setEnabled(used);
        // NUVA values travel as 16-bit words; the text sensor takes signed 32-bit numbers.
        delete m_edits[k]->validator();
        m_edits[k]->setValidator(metall ? new QIntValidator(m_edits[k])
                                        : new QIntValidator(0, 65535, m_edits[k]));
        m_labels[k]->setText(QString::fromUtf8(kNuvaLabels[k]));
    }
    if (metall) {
        RB_nah->hide(); // a NUVA function
        for (std::size_t i = 0; i < kMetallEdits.size(); ++i)
            m_labels[kMetallEdits[i]]->setText(QString::fromUtf8(kMetallLabels[i]));
    }
    adjustSize();
}

bool TLimitParas::BSetClick() {
    // The same question in both languages.
    const int answer =
        m_app.prompts.message(this, Prompts::Icon::Confirmation,
                              QStringLiteral("Daten speichern? Auch Schaltpunkte werden gespeichert!!"),
                              Prompts::Yes | Prompts::No);
    if (answer != Prompts::Yes)
        return false;
    const bool metall = m_window.ConnectedType() == TQS40_NUVA_Form::kTypeMetall;
    std::array<long long, kNuvaLimitCount> values{};
    for (std::size_t k = 0; k < kNuvaLimitCount; ++k) {
        bool ok = false;
        const long long v = m_edits[k]->text().trimmed().toLongLong(&ok);
        values[k] = ok ? v : (metall ? kMetallFallback : kNuvaFallback);
        if (!metall && (values[k] < 0 || values[k] > 65535)) {
            // Never sent cut down to 16 bits.
            m_app.prompts.message(this, Prompts::Icon::Error,
                                  tr("Wert nicht erlaubt (0 bis 65535):") + QStringLiteral(" ") +
                                      m_labels[k]->text(),
                                  Prompts::Ok);
            setOk(false);
            return false;
        }
    }
    setOk(false);
    std::optional<bool> near;
    if (!RB_nah->isHidden()) // also while the dialog itself is not shown (the presets)
        near = RB_nah->isChecked();
    const NuvaSession::LimitWrite r = m_window.session().writeLimits(values, near);
    m_window.limitsWritten(r.stored);
    setOk(r.ok);
    return r.ok;
}

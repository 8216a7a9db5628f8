#include "TAboutBox.h"

#include "AppState.h"
#include "Artwork.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

const QString TAboutBox::kWebAddress = QStringLiteral("https://www.qel-sensing.example");

TAboutBox::TAboutBox(AppState& app, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_app(app) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Info"));

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);

    Logo = new QLabel(panel);
    Logo->setObjectName(QStringLiteral("Logo"));
    Logo->setAlignment(Qt::AlignCenter);

    ProductName = new QLabel(QStringLiteral("Vantrisco"), panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setAlignment(Qt::AlignCenter);
    QFont big = ProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    ProductName->setFont(big);

    Version = new QLabel(panel);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setAlignment(Qt::AlignCenter);
    Version->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Comments = new QLabel(panel);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setAlignment(Qt::AlignCenter);
    Comments->setWordWrap(true);
    Comments->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Notice = new QLabel(panel);
    Notice->setObjectName(QStringLiteral("Notice"));
    Notice->setWordWrap(true);

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(Logo);
    panelLayout->addWidget(ProductName);
    panelLayout->addWidget(Version);
    panelLayout->addWidget(Comments);
    panelLayout->addWidget(Notice);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Comments->setMinimumWidth(260);
}

void TAboutBox::FormShow() {
    Version->setText(QStringLiteral("Version: ") + m_app.ProgramVersion);
    const QPixmap logo = Artwork::bitmap(QStringLiteral("QELSENSING"));
    Logo->setPixmap(logo);
    Logo->setVisible(!logo.isNull());
    Comments->setText(kWebAddress);
    Notice->clear();
}

void TAboutBox::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

#include "HelpWindow.h"

#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QString folder(bool english) {
    return english ? QStringLiteral("en") : QStringLiteral("de");
}
} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));

    m_back = new QToolButton(this);
    m_back->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    m_back->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_back->setEnabled(false);
    m_contents = new QToolButton(this);
    m_contents->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    m_contents->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);

    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_contents, &QToolButton::clicked, this, [this] { showIndex(m_english); });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_back);
    bar->addWidget(m_contents);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_browser);

    retranslateUi();
    resize(640, 520);
}

QUrl HelpWindow::indexUrl(bool english) {
    return QUrl(QStringLiteral("qrc:/help/%1/index.html").arg(folder(english)));
}

QUrl HelpWindow::topicUrl(int contextNumber, bool english) {
    const QString path = QStringLiteral(":/help/%1/%2.html").arg(folder(english)).arg(contextNumber);
    if (contextNumber <= 0 || !QFile::exists(path))
        return {};
    return QUrl(QStringLiteral("qrc") + path);
}

void HelpWindow::showIndex(bool english) {
    m_english = english;
    open(indexUrl(english));
}

void HelpWindow::showTopic(int contextNumber, bool english) {
    m_english = english;
    const QUrl topic = topicUrl(contextNumber, english);
    open(topic.isEmpty() ? indexUrl(english) : topic);
}

QUrl HelpWindow::currentPage() const {
    return m_browser->source();
}

void HelpWindow::open(const QUrl& url) {
    m_browser->setSource(url);
    show();
    raise();
    activateWindow();
}

void HelpWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QWidget::changeEvent(event);
}

void HelpWindow::retranslateUi() {
    setWindowTitle(tr("Hilfe"));
    m_back->setText(tr("Zurück"));
    m_contents->setText(tr("Inhalt"));
}

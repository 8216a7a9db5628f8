#pragma once
// The in-program help: one HTML page per help context number and language, compiled into the
// program (help/de/<n>.html, help/en/<n>.html, each language with an index.html).
#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // The contents page of a language.
    void showIndex(bool english);
    // The page of a help context number; a number without a page shows the contents instead.
    void showTopic(int contextNumber, bool english);

    static QUrl indexUrl(bool english);
    // The page of a context number, or an empty URL when there is none.
    static QUrl topicUrl(int contextNumber, bool english);

    QUrl currentPage() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void open(const QUrl& url);
    void retranslateUi();

    QTextBrowser* m_browser;
    QToolButton* m_back;
    QToolButton* m_contents;
    bool m_english = false;
};

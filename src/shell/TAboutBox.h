#pragma once
// The about box: product, the program's own version and the maker's address.
#include <QDialog>

class QLabel;
class QPushButton;
struct AppState;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(AppState& app, QWidget* parent = nullptr);

    // The maker's web address shown in Comments.
    static const QString kWebAddress;

    QLabel* ProductName;
    QLabel* Version;
    QLabel* Comments;
    QLabel* Notice;
    QLabel* Logo;
    QPushButton* OKButton;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    AppState& m_app;
};

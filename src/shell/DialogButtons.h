#pragma once
// The OK and cancel buttons every dialog of the program has, under the object names the tests
// look for: OK is the default button and, unless the dialog checks its values first, accepts;
// cancel rejects. The cancel text differs between dialogs ("cancel" stays English in the port
// dialog in both languages), so the caller gives it.
#include <QDialog>
#include <QPushButton>

struct DialogButtons {
    QPushButton* ok;
    QPushButton* cancel;
};

inline DialogButtons makeDialogButtons(QDialog* dialog, const QString& cancelText, bool okAccepts = true) {
    auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(cancelText, dialog);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    if (okAccepts)
        QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return {ok, cancel};
}

#pragma once
// Every text a window shows or offers (captions, labels, menu entries, list entries, tool tips),
// keyed by where it stands, for tests that compare the languages.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QWidget>

#include <functional>

inline QMap<QString, QString> visibleTexts(QWidget* window) {
    QMap<QString, QString> texts;
    int unnamed = 0;
    const auto keyOf = [&](const QObject* o) {
        const QString name =
            o->objectName().isEmpty() ? QStringLiteral("#%1").arg(++unnamed) : o->objectName();
        return QString::fromLatin1(o->metaObject()->className()) + QLatin1Char(':') + name;
    };
    const auto add = [&](const QString& key, const QString& text) {
        if (!text.trimmed().isEmpty())
            texts.insert(key, text);
    };
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        const QString key = keyOf(w);
        add(key + QStringLiteral("/tip"), w->toolTip());
        if (const auto* label = qobject_cast<QLabel*>(w))
            add(key, label->text());
        else if (const auto* button = qobject_cast<QAbstractButton*>(w))
            add(key, button->text());
        else if (const auto* box = qobject_cast<QGroupBox*>(w))
            add(key, box->title());
        else if (const auto* combo = qobject_cast<QComboBox*>(w); combo && !combo->isEditable())
            for (int i = 0; i < combo->count(); ++i)
                add(key + QStringLiteral("/%1").arg(i), combo->itemText(i));
        for (QAction* a : w->actions()) {
            add(keyOf(a), a->text());
            // An action without a tool tip of its own shows its text there.
            const QString plain = QString(a->text()).remove(QLatin1Char('&'));
            add(keyOf(a) + QStringLiteral("/tip"), a->toolTip() == plain ? QString() : a->toolTip());
            if (a->menu())
                add(keyOf(a->menu()), a->menu()->title());
        }
    }
    if (window->isWindow())
        add(QStringLiteral("title"), window->windowTitle());
    return texts;
}

// The texts of `window` that read the same after `setEnglish(false)` and `setEnglish(true)`,
// as "key = text", leaving out those `sameInBoth` accepts (texts kept in both languages on
// purpose, values, names).
inline QStringList
untranslatedTexts(QWidget* window, const std::function<void(bool)>& setEnglish,
                  const std::function<bool(const QString& key, const QString& text)>& sameInBoth) {
    setEnglish(false);
    const QMap<QString, QString> german = visibleTexts(window);
    setEnglish(true);
    const QMap<QString, QString> english = visibleTexts(window);
    setEnglish(false);
    QStringList same;
    for (auto it = german.begin(); it != german.end(); ++it)
        if (english.value(it.key()) == it.value() && !sameInBoth(it.key(), it.value()))
            same << it.key() + QStringLiteral(" = ") + it.value();
    return same;
}

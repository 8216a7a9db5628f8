#include "Language.h"

#include "AppState.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QTranslator>
#include <QVariant>

namespace {

// Two translators make one language: the program's own English texts (its source texts are
// German), and Qt's German texts for what Qt shows itself (file dialogs, standard buttons, key
// names in shortcuts; Qt's source texts are English). German installs the second, English the
// first. Each belongs to the application object, so it lives exactly as long as the application;
// it is found again by its name.
struct TranslatorFile {
    const char* name;
    QStringList files;
};

const TranslatorFile& programEnglish() {
    static const TranslatorFile file{"zylconfig_en", {QStringLiteral(":/i18n/zylconfig_en.qm")}};
    return file;
}

const TranslatorFile& qtGerman() {
    static const TranslatorFile file{
        "qtbase_de",
        {QStringLiteral(":/i18n/qtbase_de.qm"),
         QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm")}};
    return file;
}

QTranslator* translator(const TranslatorFile& file, bool create) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return nullptr;
    auto* found = app->findChild<QTranslator*>(QLatin1String(file.name), Qt::FindDirectChildrenOnly);
    if (found || !create)
        return found;
    auto* loaded = new QTranslator(app);
    loaded->setObjectName(QLatin1String(file.name));
    for (const QString& path : file.files)
        if (loaded->load(path))
            return loaded;
    qWarning("Translation %s is missing; those texts stay in their source language.", file.name);
    delete loaded;
    return nullptr;
}

// Installs or removes a translator; true when that changed anything.
bool setInstalled(const TranslatorFile& file, bool wanted) {
    QTranslator* t = translator(file, wanted);
    if (!t)
        return false;
    // The property marks whether this translator is currently installed.
    const bool installed = t->property("installed").toBool();
    if (installed == wanted)
        return false;
    if (wanted)
        QCoreApplication::installTranslator(t);
    else
        QCoreApplication::removeTranslator(t);
    t->setProperty("installed", wanted);
    return true;
}

} // namespace

void Language::setEnglish(AppState& app, bool english) {
    app.EnglishUi = english;
    app.HelpFile = english ? QStringLiteral("ZYL24HELPENGLISH.HLP") : QStringLiteral("ZYL24help.hlp");
    app.QuestionSuffix =
        english ? QStringLiteral(" already open\nclose it?") : QStringLiteral(" bereits offen\nschliessen?");

    if (!QCoreApplication::instance())
        return;
    const bool programChanged = setInstalled(programEnglish(), english);
    const bool qtChanged = setInstalled(qtGerman(), !english);
    if (!programChanged && !qtChanged)
        return;
    // The application passes the change on to its windows through the event queue; deliver it
    // now so that callers see the new texts at once, like a handler that rewrites them directly.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

bool Language::englishActive() {
    const QTranslator* t = translator(programEnglish(), false);
    return t && t->property("installed").toBool();
}

bool Language::qtGermanActive() {
    const QTranslator* t = translator(qtGerman(), false);
    return t && t->property("installed").toBool();
}

#include "Language.h"

#include "AppState.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTranslator>
#include <QVariant>

namespace {

// The translator belongs to the application object, so it lives exactly as long as the
// application; it is found again by its name.
const char* const kTranslatorName = "zylconfig_en";

QTranslator* englishTranslator(bool create) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return nullptr;
    auto* translator = app->findChild<QTranslator*>(QLatin1String(kTranslatorName), Qt::FindDirectChildrenOnly);
    if (!translator && create) {
        translator = new QTranslator(app);
        translator->setObjectName(QLatin1String(kTranslatorName));
        if (!translator->load(QStringLiteral(":/i18n/zylconfig_en.qm"))) {
            qWarning("English texts are missing from the program; it stays German.");
            delete translator;
            return nullptr;
        }
    }
    return translator;
}

} // namespace

void Language::setEnglish(AppState& app, bool english) {
    app.EnglishUi = english;
    app.HelpFile = english ? QStringLiteral("ZYL24HELPENGLISH.HLP") : QStringLiteral("ZYL24help.hlp");
    app.QuestionSuffix =
        english ? QStringLiteral(" already open\nclose it?") : QStringLiteral(" bereits offen\nschliessen?");

    QCoreApplication* qapp = QCoreApplication::instance();
    if (!qapp)
        return;
    QTranslator* translator = englishTranslator(english);
    if (!translator)
        return;
    // The property marks whether this translator is currently installed.
    const bool installed = translator->property("installed").toBool();
    if (english && !installed) {
        QCoreApplication::installTranslator(translator);
        translator->setProperty("installed", true);
    } else if (!english && installed) {
        QCoreApplication::removeTranslator(translator);
        translator->setProperty("installed", false);
    } else {
        return;
    }
    // The application passes the change on to its windows through the event queue; deliver it
    // now so that callers see the new texts at once, like a handler that rewrites them directly.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}

bool Language::englishActive() {
    const QTranslator* translator = englishTranslator(false);
    return translator && translator->property("installed").toBool();
}

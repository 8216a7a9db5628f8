#include "AppTestFixture.h"
#include "GuiTestEnvironment.h"
#include "HelpWindow.h"
#include "QSettingsRecordStore.h"
#include "QtPrompts.h"
#include "TAboutBox.h"
#include "TFortschritt.h"
#include "TStartForm.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <numeric>

namespace {

using ShellTest = AppTestFixture;

TEST_F(ShellTest, AbbruchAndEscapeSetStopSearchWithoutHidingTheDialog) {
    TFortschritt progress(app);
    progress.show();
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Fortschritt"));
    EXPECT_EQ(progress.BitBtn1->text(), QStringLiteral("Abbruch"));
    EXPECT_FALSE(progress.stopRequested());
    QTest::mouseClick(progress.BitBtn1, Qt::LeftButton);
    EXPECT_TRUE(app.StopSearch);
    EXPECT_TRUE(progress.stopRequested());
    EXPECT_TRUE(progress.isVisible());
    app.StopSearch = false;
    QTest::keyClick(&progress, Qt::Key_Escape);
    EXPECT_TRUE(app.StopSearch);
    EXPECT_TRUE(progress.isVisible()); // its user hides it when the search has ended
}

TEST_F(ShellTest, ProgressBarCountsUpToItsMaximumAndResets) {
    TFortschritt progress(app);
    progress.setMaximum(128);
    progress.reset();
    for (int i = 0; i < 10; ++i)
        progress.advance(1);
    EXPECT_EQ(progress.ProgressBar->value(), 10);
    progress.advance(500);
    EXPECT_EQ(progress.ProgressBar->value(), 128);
    progress.reset();
    EXPECT_EQ(progress.ProgressBar->value(), 0);
}

TEST_F(ShellTest, AboutBoxShowsTheProgramsOwnVersion) {
    const QString before = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion(QStringLiteral("7.3.1"));
    TStartForm form(app, {});
    form.show();
    QCoreApplication::processEvents();
    QCoreApplication::setApplicationVersion(before);
    TAboutBox about(app);
    about.show();
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Info"));
    EXPECT_EQ(about.ProductName->text(), QStringLiteral("Vantrisco"));
    EXPECT_EQ(about.Version->text(), QStringLiteral("Version: 7.3.1"));
    EXPECT_EQ(about.Comments->text(), TAboutBox::kWebAddress);
    EXPECT_TRUE(about.Notice->text().isEmpty());
}

TEST_F(ShellTest, WindowsCreatedAfterASwitchStartInTheSwitchedLanguage) {
    Language::setEnglish(app, true);
    EXPECT_TRUE(Language::englishActive());
    TFortschritt progress(app);
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("progress"));
    Language::setEnglish(app, false);
    EXPECT_FALSE(Language::englishActive());
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Fortschritt"));
}

TEST_F(ShellTest, HelpOpensTopicPagesAndFallsBackToTheContents) {
    HelpWindow help;
    help.showTopic(TStartForm::kHelpContext, false);
    EXPECT_EQ(help.currentPage(), QUrl(QStringLiteral("qrc:/help/de/100.html")));
    EXPECT_TRUE(help.isVisible());
    help.showTopic(TStartForm::kHelpContext, true);
    EXPECT_EQ(help.currentPage(), QUrl(QStringLiteral("qrc:/help/en/100.html")));
    help.showTopic(9999, false);
    EXPECT_EQ(help.currentPage(), HelpWindow::indexUrl(false));
    help.showIndex(true);
    EXPECT_EQ(help.currentPage(), QUrl(QStringLiteral("qrc:/help/en/index.html")));
    // Both languages ship a contents page.
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/de/index.html")));
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/en/index.html")));
}

// Runs `act` on the message box once it is up, then returns what message() returned.
template <typename Act> int answerMessageBox(QtPrompts& prompts, const QString& text, int buttons, Act act) {
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(*box);
    });
    return prompts.message(nullptr, Prompts::Icon::Confirmation, text, buttons);
}

TEST(QSettingsRecordStoreTest, RecordOfItsSizeOnlyAndNothingElseLost) {
    QSettings settings(QStringLiteral("qel"), QStringLiteral("VantriscoRecordTest"));
    settings.clear();
    settings.setValue("zyl24/Adresse", 77);
    settings.sync();
    QSettingsRecordStore store(QStringLiteral("qel"), QStringLiteral("VantriscoRecordTest"));
    const std::string where = settings.fileName().toStdString() + ": zyl24/Einstellungen";

    EXPECT_FALSE(store.read("zyl24", "Einstellungen", 20).bytes);
    const std::pair<QVariant, std::string> ignored[] = {
        {QByteArray(7, 'x'), where + " has 7 bytes instead of 20 and is ignored."},
        {QStringLiteral("@ByteArray(abc)x"), where + " is not a binary value and is ignored."},
    };
    for (const auto& [value, warning] : ignored) {
        settings.setValue("zyl24/Einstellungen", value);
        settings.sync();
        const auto result = store.read("zyl24", "Einstellungen", 20);
        EXPECT_FALSE(result.bytes);
        EXPECT_EQ(result.warning, warning);
    }

    std::vector<std::uint8_t> record(40);
    std::iota(record.begin(), record.end(), std::uint8_t{1});
    EXPECT_EQ(store.write("zyl36", "Einstellungen", record), "");
    const auto back = store.read("zyl36", "Einstellungen", 40);
    EXPECT_EQ(back.bytes, record);
    EXPECT_EQ(back.warning, "");
    settings.sync();
    EXPECT_EQ(settings.value("zyl24/Adresse").toInt(), 77);
    EXPECT_EQ(settings.value("zyl24/Einstellungen").toString(), QStringLiteral("@ByteArray(abc)x"));
    settings.clear();
}

TEST(QtPromptsTest, MessageBoxShowsTheAskedButtonsAndReportsThePressedOne) {
    QtPrompts prompts;
    QStringList labels;
    const int pressed = answerMessageBox(prompts, QStringLiteral("Wirklich?"), Prompts::Yes | Prompts::No,
                                         [&labels](QMessageBox& box) {
                                             EXPECT_EQ(box.text(), QStringLiteral("Wirklich?"));
                                             EXPECT_EQ(box.windowTitle(), QStringLiteral("Bestätigung"));
                                             for (QAbstractButton* b : box.buttons())
                                                 labels << b->text();
                                             box.button(QMessageBox::No)->click();
                                         });
    EXPECT_EQ(pressed, Prompts::No);
    labels.sort();
    EXPECT_EQ(labels, (QStringList{"&Ja", "&Nein"}));
    // Escape on a question answers with the button that changes nothing.
    EXPECT_EQ(answerMessageBox(prompts, QStringLiteral("?"), Prompts::Yes | Prompts::No,
                               [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }),
              Prompts::No);
    EXPECT_EQ(answerMessageBox(prompts, QStringLiteral("?"), Prompts::Ok | Prompts::Retry,
                               [](QMessageBox& box) { box.button(QMessageBox::Retry)->click(); }),
              Prompts::Retry);
}

TEST(QtPromptsTest, WindowFiltersBecomeQtNameFilters) {
    EXPECT_EQ(QtPrompts::toNameFilters(QStringLiteral("Einstellungen (*.qel)|*.qel")),
              QStringList{QStringLiteral("Einstellungen (*.qel)")});
    EXPECT_EQ(QtPrompts::toNameFilters(QStringLiteral("Messdaten|*.csv;*.txt|Alle Dateien (*.*)|*.*")),
              (QStringList{QStringLiteral("Messdaten (*.csv *.txt)"), QStringLiteral("Alle Dateien (*.*)")}));
    // A description without its pattern pair is dropped rather than matching nothing.
    EXPECT_EQ(QtPrompts::toNameFilters(QStringLiteral("S-Record|*.s19|kaputt")),
              QStringList{QStringLiteral("S-Record (*.s19)")});
    EXPECT_TRUE(QtPrompts::toNameFilters(QString()).isEmpty());
    EXPECT_EQ(QtPrompts::toNameFilters(QStringLiteral("|*.spi")), QStringList{QStringLiteral("(*.spi)")});
}

} // namespace

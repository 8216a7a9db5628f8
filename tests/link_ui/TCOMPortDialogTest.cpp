#include "TCOMPortDialog.h"

#include "AppState.h"
#include "GuiTestEnvironment.h"
#include "Language.h"
#include "Schnittstelle.h"
#include "ScriptedPrompts.h"
#include "SimLineProvider.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

QStringList entries(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

void plugWithSubtype(SimLineProvider& provider, int com, ProviderSubtype subtype) {
    provider.plug(com, [subtype](SimulatedLine& line) { line.setProviderSubtype(subtype); });
}

struct PortDialogTest : ::testing::Test {
    FakeClock clock;
    SimLineProvider provider{clock};
    Schnittstelle ports{provider, clock};
    ScriptedPrompts prompts;
    AppState app{ports, prompts, clock};
    TCOMPortDialog dialog{app};
    void TearDown() override { Language::setEnglish(app, false); }
};

TEST_F(PortDialogTest, CloseQuestionForAHeldPortInBothLanguages) {
    provider.plug(3);
    ASSERT_TRUE(ports.OpenBusPort(3, 38400, 0, 0, 8, 50));
    prompts.answerButton(Prompts::No);
    dialog.FormShow();
    ASSERT_EQ(prompts.asked().size(), 1u);
    const ScriptedPrompts::Asked& german = prompts.asked().front();
    EXPECT_EQ(german.text, QStringLiteral("ComPort3 bereits offen\nschliessen?"));
    EXPECT_EQ(german.icon, Prompts::Icon::Information);
    EXPECT_EQ(german.buttons, Prompts::Yes | Prompts::No);
    // No: the port stays ours, so it is neither probed nor offered.
    EXPECT_TRUE(ports.isOpen(3));
    EXPECT_FALSE(entries(dialog.PortNummer).contains(QStringLiteral("3")));
    Language::setEnglish(app, true);
    prompts.clear();
    prompts.answerButton(Prompts::Yes);
    dialog.FormShow();
    ASSERT_EQ(prompts.messages(), QStringList{QStringLiteral("ComPort3 already open\nclose it?")});
    EXPECT_FALSE(ports.isOpen(3));
    EXPECT_EQ(entries(dialog.PortNummer), QStringList{QStringLiteral("3")});
}

TEST_F(PortDialogTest, OnlyRs232AndRs422LinesFromOneToNineteenAreListed) {
    plugWithSubtype(provider, 1, ProviderSubtype::Rs232);
    plugWithSubtype(provider, 2, ProviderSubtype::Modem);
    plugWithSubtype(provider, 4, ProviderSubtype::Rs422);
    plugWithSubtype(provider, 5, ProviderSubtype::Unspecified);
    provider.refuse(6, OpenError::Busy, "held by another program");
    plugWithSubtype(provider, 19, ProviderSubtype::Rs232);
    plugWithSubtype(provider, 20, ProviderSubtype::Rs232);
    dialog.FormShow();
    EXPECT_EQ(entries(dialog.PortNummer), (QStringList{"1", "4", "19"}));
    EXPECT_TRUE(prompts.asked().empty());
    // The probe leaves nothing open behind it.
    for (int com = 1; com <= Schnittstelle::kMaxPort; ++com)
        EXPECT_FALSE(ports.isOpen(com)) << com;
}

TEST_F(PortDialogTest, DeviceLineTellsRs485ModeAndOtherTypesCanBeUsedAnyway) {
    provider.plug(3, [](SimulatedLine& line) { line.setSystemRs485Mode(true); });
    plugWithSubtype(provider, 2, ProviderSubtype::Modem);
    dialog.FormShow();
    EXPECT_EQ(entries(dialog.PortNummer), QStringList{"3"});
    EXPECT_EQ(dialog.DevicePath->text(), "sim COM 3 – RS-485-Modus des Systems, bleibt wie eingestellt");
    EXPECT_FALSE(dialog.UseAnyway->isVisibleTo(&dialog));
    Language::setEnglish(app, true);
    EXPECT_EQ(dialog.DevicePath->text(), "sim COM 3 – system RS-485 mode, left as configured");

    dialog.PortNummer->setEditText(QStringLiteral("2"));
    EXPECT_EQ(dialog.DevicePath->text(), "sim COM 2 – not an RS-232/RS-422 port");
    ASSERT_TRUE(dialog.UseAnyway->isVisibleTo(&dialog));
    EXPECT_EQ(dialog.UseAnyway->text(), "use anyway");
    dialog.UseAnyway->click();
    EXPECT_TRUE(ports.useAnyway(2));
    dialog.CancelBtn->click(); // undone
    EXPECT_FALSE(ports.useAnyway(2));
    EXPECT_FALSE(QSettings(QStringLiteral("qel"), QStringLiteral("Vantrisco")).contains("UseAnyway/COM2"));
    dialog.FormShow();
    dialog.PortNummer->setEditText(QStringLiteral("2"));
    dialog.UseAnyway->click();
    dialog.OKBtn->click();
    EXPECT_TRUE(ports.useAnyway(2));
    EXPECT_TRUE(ports.OpenBusPort(2, 38400, 0, 0, 8, 50));
    ports.ClosePort(2);
    dialog.FormShow();
    EXPECT_EQ(entries(dialog.PortNummer), (QStringList{"2", "3"}));

    // Remembered for the next start, per COM number.
    Schnittstelle nextStart{provider, clock};
    AppState nextApp{nextStart, prompts, clock};
    TCOMPortDialog nextDialog{nextApp};
    EXPECT_TRUE(nextStart.useAnyway(2));
    EXPECT_FALSE(nextStart.useAnyway(3));
    dialog.PortNummer->setEditText(QStringLiteral("2"));
    dialog.UseAnyway->click();
    dialog.OKBtn->click();
    EXPECT_FALSE(ports.useAnyway(2));
    EXPECT_FALSE(QSettings(QStringLiteral("qel"), QStringLiteral("Vantrisco")).contains("UseAnyway/COM2"));
}

TEST_F(PortDialogTest, WithoutSerialPortsTheListIsEmptyAndTheTextStays) {
    dialog.PortNummer->setEditText(QStringLiteral("7"));
    dialog.FormShow();
    EXPECT_EQ(dialog.PortNummer->count(), 0);
    EXPECT_EQ(dialog.PortNummer->currentText(), QStringLiteral("7"));
}

TEST_F(PortDialogTest, ChosenPortStaysWhenListedOtherwiseTheFirstIsTaken) {
    for (int com : {2, 4, 9})
        provider.plug(com);
    dialog.PortNummer->setEditText(QStringLiteral("4"));
    dialog.FormShow();
    EXPECT_EQ(dialog.PortNummer->currentText(), QStringLiteral("4"));
    dialog.PortNummer->setEditText(QStringLiteral("5"));
    dialog.FormShow();
    EXPECT_EQ(dialog.PortNummer->currentText(), QStringLiteral("2"));
    EXPECT_EQ(dialog.DevicePath->text(), QStringLiteral("sim COM 2"));
    dialog.PortNummer->setEditText(QStringLiteral("x"));
    EXPECT_EQ(dialog.DevicePath->text(), QStringLiteral("keine gültige Portnummer"));
}

TEST_F(PortDialogTest, DefaultsListsAndTabOrder) {
    const QList<QComboBox*> boxes{dialog.PortNummer, dialog.BaudRate,  dialog.StopBits, dialog.Parity,
                                  dialog.Datenbits,  dialog.CBTimeout, dialog.CBrts};
    QStringList shown;
    for (const QComboBox* box : boxes)
        shown << box->currentText();
    EXPECT_EQ(shown, (QStringList{"1", "38400", "1", "Gerade/ even", "7", "50", "enabled"}));
    EXPECT_EQ(dialog.Parity->currentIndex(), 0);
    EXPECT_EQ(entries(dialog.Parity),
              (QStringList{"gerade/ even", "ungerade/ odd", "keine/ no", "Markierung/ mark"}));
    EXPECT_EQ(entries(dialog.StopBits), (QStringList{"1", "1,5", "2"}));
    EXPECT_EQ(entries(dialog.CBrts), (QStringList{"enabled", "disabled", "toggle"}));
    EXPECT_FALSE(dialog.CBrts->isEditable());
    EXPECT_TRUE(dialog.OKBtn->isDefault());
    const QList<QWidget*> order{dialog.PortNummer, dialog.BaudRate,  dialog.StopBits,
                                dialog.Parity,     dialog.Datenbits, dialog.OKBtn,
                                dialog.CancelBtn,  dialog.CBTimeout, dialog.CBrts};
    // Walk the focus chain and keep the controls in the order Tab reaches them.
    QList<QWidget*> reached;
    QWidget* w = dialog.PortNummer;
    for (int steps = 0; steps < 200 && reached.size() < order.size(); ++steps, w = w->nextInFocusChain())
        if (order.contains(w) && !reached.contains(w))
            reached << w;
    EXPECT_EQ(reached, order);
}

TEST_F(PortDialogTest, TextSetByACallerSelectsTheEntryItNames) {
    // Callers prefill by text and convert by entry index: both must agree.
    dialog.Parity->setEditText(QStringLiteral("keine/ no"));
    EXPECT_EQ(dialog.Parity->currentIndex(), 2);
    EXPECT_EQ(dialog.Parity->currentText(), QStringLiteral("keine/ no"));
    dialog.StopBits->setCurrentText(QStringLiteral("2"));
    EXPECT_EQ(dialog.StopBits->currentIndex(), 2);
    // A text that is no entry keeps the last entry index and is still read as typed.
    dialog.BaudRate->setEditText(QStringLiteral("115200"));
    EXPECT_EQ(dialog.BaudRate->currentText(), QStringLiteral("115200"));
}

TEST_F(PortDialogTest, AutoAnswerRunsTheShowLogicWithoutWaiting) {
    provider.plug(2);
    ASSERT_TRUE(ports.OpenBusPort(2, 38400, 0, 0, 8, 50));
    prompts.answerButton(Prompts::Yes);
    dialog.setAutoAnswer(QDialog::Accepted);
    EXPECT_EQ(dialog.showModal(), QDialog::Accepted);
    EXPECT_FALSE(ports.isOpen(2));
    EXPECT_EQ(entries(dialog.PortNummer), QStringList{QStringLiteral("2")});
    dialog.setAutoAnswer(QDialog::Rejected);
    EXPECT_EQ(dialog.showModal(), QDialog::Rejected);
}

} // namespace

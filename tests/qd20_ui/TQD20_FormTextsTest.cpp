// The ZYL24 window's languages, help, and its settings record in the registry.
#include "Qd20FormFixture.h"

#include "Qd20WindowRecord.h"

#include <QAbstractButton>
#include <QGroupBox>

namespace {

// Every text the window shows, in a fixed order.
QStringList allTexts(const TQD20_Form& w) {
    QStringList out;
    for (const QObject* o : w.findChildren<QObject*>()) {
        if (auto* g = qobject_cast<const QGroupBox*>(o))
            out << g->title() << g->toolTip();
        else if (auto* l = qobject_cast<const QLabel*>(o))
            out << l->text() << l->toolTip();
        else if (auto* b = qobject_cast<const QAbstractButton*>(o))
            out << b->text() << b->toolTip();
        else if (auto* e = qobject_cast<const QLineEdit*>(o))
            out << e->text();
        else if (auto* s = qobject_cast<const TCSlide*>(o))
            out << s->Beschriftung();
        else if (auto* m = qobject_cast<const QMenu*>(o))
            out << m->title();
        else if (auto* a = qobject_cast<const QAction*>(o))
            out << a->text() << a->toolTip();
    }
    for (int i = 0; i < 3; ++i)
        out << w.statusText(i);
    return out;
}

QByteArray storedRecord() {
    return QSettings(QStringLiteral("qel"), QStringLiteral("Vantrisco")).value("zyl24/Einstellungen").toByteArray();
}

void storeRecord(const Qd20WindowRecord& record, std::optional<int> fullAddress) {
    QSettings s(QStringLiteral("qel"), QStringLiteral("Vantrisco"));
    const auto bytes = record.encode();
    s.setValue("zyl24/Einstellungen", QByteArray(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (fullAddress)
        s.setValue("zyl24/Adresse", *fullAddress);
}

} // namespace

TEST_F(Qd20FormTest, EnglishAndBackRestoresEveryText) {
    open();
    const QStringList german = allTexts(*window);
    window->EnglishMenuClick();
    EXPECT_TRUE(app.EnglishUi);
    const QStringList english = allTexts(*window);
    window->GermanMenuClick();
    EXPECT_FALSE(app.EnglishUi);
    EXPECT_EQ(allTexts(*window), german);
    int changed = 0;
    for (int i = 0; i < german.size() && i < english.size(); ++i)
        changed += german[i] != english[i];
    EXPECT_GT(changed, 60);
}

TEST_F(Qd20FormTest, EnglishTexts) {
    open();
    TQD20_Form& w = *window;
    w.EnglishMenuClick();
    const QStringList os{"normaly closed", "normaly open"}; // position 0 "Öffner" is normally closed
    EXPECT_EQ(w.OSQ1_Slide->Beschriftung(), os);
    EXPECT_EQ(w.FktQ1Slide->Beschriftung(),
              (QStringList{"switch point", "switch window", "trigger", "enable", "MaxDist-Hold", "MinDist-Hold",
                           "Diff-Hold", "fast measurement", "Autocenter", "Autozero"}));
    EXPECT_EQ(w.IVQ1Slide->Beschriftung(), (QStringList{"turn off delay on", "turn off delay off"}));

    // One of each kind of text: titles, tool tips, menus, tool bar hints, and the untranslated.
    const std::pair<QString, const char*> captions[] = {
        {w.GBQ1->title(), "output Q1"},
        {w.GBTv->title(), "lock button"},
        {w.GBBW->title(), "average time"},
        {w.GBKennlinie->title(), "analog-output"},
        {w.Schaltzustand->title(), "distance data"},
        {w.BES->text(), "save to sensor"},
        {w.DateiMenu->title(), "&file"},
        {w.SichernMenu->text(), "&save"},
        {w.TrennenMenu->text(), "&disconnect"},
        {w.DatenMenu->title(), "s&ensordata"},
        {w.LanguageMenu->title(), "&Sprache"},
        {w.Inhalt1->text(), "&contents"},
        {w.LAdresse->text(), "adress"},
        {w.Direkthilfe1->text(), "quick info"},
        {w.CBlowlight->toolTip(), "mode for dark objects"},
        {w.GBHold->toolTip(), "hold if data invalid"},
        {w.Grafik->toolTip(), "graphics of measured values"},
        {w.BES->toolTip(), "save data to internal EEPROM"},
        {w.EndeButton->toolTip(), "quit programm"},
        {w.SetzenButton->toolTip(), "set all sensorparameter"},
        {w.StartButton->text(), "repeat"},
        {w.data_ok->text(), "Data ok:"},
    };
    for (const auto& [actual, expected] : captions)
        EXPECT_EQ(actual, QString::fromUtf8(expected));
    EXPECT_EQ(app.HelpFile, "ZYL24HELPENGLISH.HLP");
    EXPECT_EQ(app.QuestionSuffix, " already open\nclose it?");

    // Messages and input boxes follow as well.
    prompts.answerInput(QStringLiteral("0"));
    w.BCAClick();
    ASSERT_EQ(prompts.asked().size(), 2u);
    EXPECT_EQ(prompts.asked()[0].caption, "data input");
    EXPECT_EQ(prompts.asked()[0].text, "new adress:");
    EXPECT_EQ(prompts.asked()[1].text, "forbidden adress !");
    w.SuchenMenuClick();
    runSearch();
    EXPECT_EQ(prompts.messages().last(), "no sensor available");
    EXPECT_EQ(w.statusText(0), "sensor: no");

    w.GermanMenuClick();
    EXPECT_EQ(w.LanguageMenu->title(), "&language");
    EXPECT_EQ(w.OSQ1_Slide->Beschriftung(), (QStringList{"Öffner", "Schliesser"}));
    EXPECT_EQ(w.IVQ1Slide->Beschriftung(), (QStringList{"Impulsverlängerung an", "Impulsverlängerung aus"}));
    EXPECT_EQ(app.HelpFile, "ZYL24help.hlp");
}

TEST_F(Qd20FormTest, WindowOpenedAfterSwitchShowsSwitchedLanguage) {
    open();
    window->EnglishMenuClick();
    TQD20_Form later(app);
    EXPECT_EQ(later.GBQ1->title(), "output Q1");
    later.show();
    EXPECT_EQ(later.LanguageMenu->title(), "&Sprache");
    later.hide();
}

TEST_F(Qd20FormTest, HelpOpensPagesOfTheCurrentLanguage) {
    open();
    window->Inhalt1Click();
    EXPECT_EQ(help.currentPage(), HelpWindow::indexUrl(false));
    window->showQuickInfo(window->BWSlide);
    EXPECT_EQ(help.currentPage(), HelpWindow::topicUrl(25, false));
    window->showQuickInfo(window->BSETQ1); // no number of its own: its group's page
    EXPECT_EQ(help.currentPage(), HelpWindow::topicUrl(22, false));

    // Every context number the window uses has a page in both languages.
    for (int context : {1, 3, 4, 5, 8, 10, 11, 12, 14, 21, 22, 23, 24, 25, 26, 27, 36, 37})
        for (bool english : {false, true})
            EXPECT_FALSE(HelpWindow::topicUrl(context, english).isEmpty()) << context << english;

    window->EnglishMenuClick();
    window->showQuickInfo(window->Grafik);
    EXPECT_EQ(help.currentPage(), HelpWindow::topicUrl(1, true));
}

TEST_F(Qd20FormTest, SettingsRecordRoundTrip) {
    ports.RtsMode = 2;
    open();
    TQD20_Form& w = *window;
    Qd20Settings s = w.settingsFromControls();
    s.fktQ1 = s.ivQ1 = s.osQ2 = s.setQ1 = 1;
    s.osQ1 = s.ivQ2 = s.tv = 0;
    s.fktQ2 = s.bw = 2;
    s.SwitchPointQ1A = 123.4f;
    s.SwitchPointQ1B = 150.0f;
    s.SwitchPointQ2A = 90.0f;
    s.SwitchPointQ2B = 280.7f;
    s.AnalogPoint1 = 250.0f;
    s.AnalogPoint2 = 100.0f;
    w.applySettingsToControls(s);
    w.Slave_Adr->setCurrentText("77");
    ASSERT_TRUE(w.close());

    const QByteArray raw = storedRecord();
    const QByteArray expected("\x7b\x00\x5a\x00\xfa\x00\x96\x00\x18\x01\x64\x00"
                              "\x01\x01\x10\x02\x21\xd0\x02\x00",
                              20);
    EXPECT_EQ(raw.toHex(' '), expected.toHex(' '));
    EXPECT_EQ(QSettings(QStringLiteral("qel"), QStringLiteral("Vantrisco")).value("zyl24/Adresse").toInt(), 77);

    ports.RtsMode = -1;
    open();
    EXPECT_EQ(window->Slave_Adr->currentText(), "77"); // more than the record's 4 bits
    EXPECT_EQ(ports.RtsMode, 2);
    EXPECT_FLOAT_EQ(window->SP_Q1->SP1(), 123.0f);
    EXPECT_FLOAT_EQ(window->SP_Q2->SP2(), 280.0f);
    EXPECT_FLOAT_EQ(window->SP_QA->SP2(), 100.0f);
    const Qd20Settings back = window->settingsFromControls();
    EXPECT_EQ(std::tuple(back.fktQ1, back.osQ1, back.fktQ2, back.ivQ2, back.tv, back.bw, back.setQ1),
              std::tuple(1, 0, 2, 0, 0, 2, 1));
    EXPECT_TRUE(window->SP_Q1->Schaltfenster());
    EXPECT_FALSE(window->SP_Q2->Visible());
}

TEST_F(Qd20FormTest, RecordsOfOtherProgramsAreRead) {
    Qd20WindowRecord record;
    record.firstPoints = {100, 100, 80};
    record.secondPoints = {200, 200, 300};
    record.address = 13;
    record.RtsMode = 9; // unknown: "not set"
    storeRecord(record, std::nullopt);
    open();
    EXPECT_EQ(window->Slave_Adr->currentText(), "13");
    EXPECT_EQ(ports.RtsMode, -1);

    window.reset();
    record.address = 0;
    storeRecord(record, 0);
    open();
    EXPECT_EQ(window->Slave_Adr->currentText(), "no");

    // A damaged value is ignored: the presets of the variant stay.
    window.reset();
    QSettings(QStringLiteral("qel"), QStringLiteral("Vantrisco")).setValue("zyl24/Einstellungen", QByteArray(7, 'x'));
    open();
    EXPECT_FLOAT_EQ(window->SP_Q1->SP1(), 80.0f);
    EXPECT_FLOAT_EQ(window->SP_QA->SP1(), 300.0f);
}

TEST(Qd20WindowRecordTest, LayoutAndLimits) {
    Qd20WindowRecord r;
    r.firstPoints = {0x1234, 1, 2};
    r.secondPoints = {3, 4, 0xFFFF};
    r.FktQ1 = 9;
    r.OSQ1 = 1;
    r.IVQ1 = 1;
    r.address = 127;
    r.TV = 1;
    r.BW = 2;
    r.SetQ1 = 1;
    r.RtsMode = -1;
    const auto bytes = r.encode();
    const std::array<std::uint8_t, 20> expected{0x34, 0x12, 1, 0, 2, 0, 3, 0, 4, 0, 0xFF, 0xFF,
                                                0x11, 0x09, 0, 0, 0x21, 0xF1, 0xFF, 0xFF};
    EXPECT_EQ(bytes, expected);
    const auto back = Qd20WindowRecord::decode(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->address, 15);
    EXPECT_EQ(back->FktQ1, 9);
    EXPECT_EQ(back->RtsMode, -1);
    EXPECT_EQ(back->secondPoints[2], 0xFFFF);
    EXPECT_FALSE(Qd20WindowRecord::decode(std::span(bytes).first(19)));

    EXPECT_EQ(Qd20WindowRecord::wholeMillimetres(57.9f), 57);
    EXPECT_EQ(Qd20WindowRecord::wholeMillimetres(-3.0f), 0);
    EXPECT_EQ(Qd20WindowRecord::wholeMillimetres(1e9f), 65535);

    EXPECT_EQ(Qd20WindowRecord::resolveAddress(15, 127), 127);
    EXPECT_EQ(Qd20WindowRecord::resolveAddress(0, 128), 128);
    EXPECT_EQ(Qd20WindowRecord::resolveAddress(5, 127), 5);   // the record was written later
    EXPECT_EQ(Qd20WindowRecord::resolveAddress(5, 300), 5);   // no bus address
    EXPECT_EQ(Qd20WindowRecord::resolveAddress(5, std::nullopt), 5);
}

TEST(Qd20WindowRecordTest, ASliderPositionNoSliderHasMarksTheRecordDamaged) {
    struct Field {
        int Qd20WindowRecord::*position;
        const char* name;
        int highest;
    };
    const Field fields[] = {{&Qd20WindowRecord::FktQ1, "FktQ1", 9}, {&Qd20WindowRecord::OSQ1, "OSQ1", 1},
                            {&Qd20WindowRecord::IVQ1, "IVQ1", 1},   {&Qd20WindowRecord::FktQ2, "FktQ2", 2},
                            {&Qd20WindowRecord::OSQ2, "OSQ2", 1},   {&Qd20WindowRecord::IVQ2, "IVQ2", 1},
                            {&Qd20WindowRecord::TV, "TV", 1},       {&Qd20WindowRecord::BW, "BW", 2},
                            {&Qd20WindowRecord::SetQ1, "SetQ1", 1}};
    for (const Field& f : fields) {
        Qd20WindowRecord r;
        r.*f.position = f.highest;
        EXPECT_EQ(Qd20WindowRecord::decode(r.encode())->outOfRange(), "") << f.name;
        r.*f.position = f.highest + 1;
        EXPECT_EQ(Qd20WindowRecord::decode(r.encode())->outOfRange(),
                  std::string(f.name) + " = " + std::to_string(f.highest + 1));
    }
}

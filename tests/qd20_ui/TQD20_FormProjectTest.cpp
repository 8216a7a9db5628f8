// Project files (.qel) saved from and loaded into the ZYL24 window's controls.
#include "Qd20FormFixture.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

struct Qd20ProjectTest : Qd20FormTest {
    void SetUp() override {
        app.SensorType = 2; // 30 to 100 mm
        open();
    }

    QByteArray save(const QString& name) {
        const QString path = settingsDir.filePath(name);
        prompts.answerFile(path);
        window->SichernButtonClick();
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void load(const QByteArray& content) {
        const QString path = settingsDir.filePath("load.qel");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.close();
        prompts.answerFile(path);
        window->OeffnenButtonClick();
    }
};

} // namespace

TEST_F(Qd20ProjectTest, SavesWholeMillimetresAndTheSameInBothLanguages) {
    window->SP_Q1->SetPos1Value(57.9f);
    window->SP_Q1->SetPos2Value(60.0f);
    window->BWSlide->SetPosValue(2);
    const QByteArray german = save("de.qel");
    ASSERT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(prompts.asked()[0].text, "Daten speichern");
    EXPECT_EQ(prompts.asked()[0].preset, "Einstellungen (*.qel)|*.qel");
    const QList<QByteArray> lines = german.split('\n');
    ASSERT_EQ(lines.size(), 26); // 25 lines, each ended by CR LF
    EXPECT_EQ(lines[0], "[Q1]\r");
    EXPECT_EQ(lines[1], "57\r");
    EXPECT_EQ(lines[2], "60\r");
    EXPECT_EQ(lines[19], "[BW]\r");
    EXPECT_EQ(lines[20], "1000\r");

    window->EnglishMenuClick();
    prompts.clear();
    EXPECT_EQ(save("en.qel"), german);
    EXPECT_EQ(prompts.asked()[0].preset, "sensorfiles (*.qel)|*.qel");

    load(german);
    EXPECT_FLOAT_EQ(window->SP_Q1->SP1(), 57.0f);
    EXPECT_EQ(prompts.asked().back().text, "Parameter laden");
}

TEST_F(Qd20ProjectTest, LoadedValuesGoThroughTheEditorsAndSliders) {
    for (const auto& [text, position] : {std::pair{"10", 0}, {"1000", 2}, {"100", 1}}) {
        load(QByteArray("[BW]\r\n") + text + "\r\n");
        EXPECT_EQ(window->BWSlide->Position(), position) << text;
    }

    // The second point is assigned last; below the first, it takes the first down with it.
    load("[Q1]\r\n50\r\n40\r\n");
    EXPECT_FLOAT_EQ(window->SP_Q1->SP1(), 40.0f);
    EXPECT_FLOAT_EQ(window->SP_Q1->SP2(), 40.0f);
    EXPECT_EQ(window->LQ1_1->text(), window->SP_Q1->formatValue(40.0f));

    // Points are limited to the scale; lines without a key are passed over; a loaded function
    // switches its editor as a user's choice would.
    load("notes of the line\r\n[QA]\r\n500\r\n60\r\n[IV1]\r\nOn\r\n[Typ Q1]\r\n2\r\n");
    EXPECT_FLOAT_EQ(window->SP_QA->SP1(), 100.0f);
    EXPECT_EQ(window->ENull->text(), window->SP_QA->formatValue(100.0f));
    EXPECT_EQ(window->IVQ1Slide->Position(), 0);
    EXPECT_EQ(window->FktQ1Slide->Position(), 2);
    EXPECT_FALSE(window->SP_Q1->Visible());
    EXPECT_TRUE(prompts.messages().isEmpty());

    // A value it cannot read is said, and its item stays as it was: never a wrapped number.
    load("[QA]\r\n-5\r\n70\r\n");
    EXPECT_FLOAT_EQ(window->SP_QA->SP1(), 100.0f);
    EXPECT_FLOAT_EQ(window->SP_QA->SP2(), 70.0f);
    EXPECT_EQ(prompts.messages(), QStringList{"Fehler in Datei"});
}

TEST_F(Qd20ProjectTest, FilesThatAreNoProjectFilesAreReportedAndChangeNothing) {
    const Qd20Settings before = window->settingsFromControls();

    static const char binary[] = "\x7f"
                                 "ELF\x02\x01\x00\x00[Q1]\x00\r\n55\r\n";
    load(QByteArray(binary, sizeof binary - 1));
    load("just some text\r\n");
    prompts.answerFile(settingsDir.filePath("absent.qel"));
    window->OeffnenButtonClick();
    EXPECT_EQ(window->settingsFromControls(), before);
    const QStringList messages = prompts.messages();
    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[0].startsWith("Die Datei enthält keine Sensoreinstellungen:"));
    EXPECT_TRUE(messages[1].startsWith("Die Datei enthält keine Sensoreinstellungen:"));
    EXPECT_TRUE(messages[2].startsWith("Datei kann nicht gelesen werden:"));

    // A pipe is refused at once instead of waiting for a writer.
    prompts.clear();
    const QString pipe = settingsDir.filePath("pipe.qel");
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    prompts.answerFile(pipe);
    window->OeffnenButtonClick();
    EXPECT_EQ(prompts.messages(),
              QStringList{"Datei kann nicht gelesen werden:\n" + pipe + "\nkeine gewöhnliche Datei"});

    // A key on the last line: what came before it is kept.
    prompts.clear();
    load("[IV2]\r\nOn\r\n[Typ Q2]");
    EXPECT_EQ(window->IVQ2Slide->Position(), 0);
    EXPECT_EQ(prompts.messages(), QStringList{"Fehler in Datei"});
}

namespace {

// Files of this process may grow to `bytes` and no further while the object lives: a write
// beyond fails as on a full disk (whoever runs the tests, also root).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the process
        const rlimit limit{bytes, m_old.rlim_max};
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool set() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_set = false;
};

} // namespace

TEST_F(Qd20ProjectTest, ASaveThatCannotBeWrittenKeepsTheOldFileAndSaysSo) {
    const QString path = settingsDir.filePath("kept.qel");
    const QByteArray old = "[Q1]\r\n57\r\n60\r\n";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    {
        const FileSizeLimit limit(static_cast<rlim_t>(old.size()));
        ASSERT_TRUE(limit.set());
        prompts.answerFile(path);
        window->SichernButtonClick();
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old);
    const QStringList messages = prompts.messages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Datei kann nicht geschrieben werden:\n" + path))
        << messages[0].toStdString();
    EXPECT_EQ(QDir(settingsDir.path()).entryList({"kept.qel*"}, QDir::Files), QStringList{"kept.qel"});
}

// Measurement polls, single measurements, the block read and the CSV export of the ZYL24 window,
// against the simulated bus.
#include "Qd20FormFixture.h"

#include "MeasurementExport.h"
#include "Qd20Variant.h"

#include <QFile>
#include <QProgressBar>

#include <set>

namespace {

QString readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

struct Qd20MeasureTest : Qd20FormTest {
    SimZyl24Sensor* sensor = nullptr;

    void SetUp() override {
        sensor = &openConnected(); // 80 to 300 mm
    }

    // One distance poll with the target held at `mm`; returns the value stored.
    std::uint16_t pollAt(float mm) {
        sensor->setFixedDistance(mm);
        window->RohDataTimerTimer();
        return window->samples().LastRaw();
    }

    // The plot's ring read from its oldest slot on: what it draws, left to right.
    std::vector<std::uint16_t> plotInTimeOrder() const {
        const auto* start = static_cast<const std::uint16_t*>(window->Grafik->DataStart);
        const auto* oldest = static_cast<const std::uint16_t*>(window->Grafik->DataOldest);
        const int ring = window->Grafik->Anzahl() + 1;
        std::vector<std::uint16_t> out;
        for (int k = 0; k < ring; ++k)
            out.push_back(start[(oldest - start + k) % ring]);
        return out;
    }

    QString exportTo(const QString& name) {
        const QString path = settingsDir.filePath(name);
        prompts.answerFile(path);
        window->STsaveClick();
        return path;
    }
};

} // namespace

TEST_F(Qd20MeasureTest, PollsWrapTheRingAndThePlotReadsThemInTimeOrder) {
    window->StartButtonClick();
    EXPECT_TRUE(window->RohDataTimer->isActive());
    EXPECT_TRUE(window->StartButton->property("running").toBool());
    EXPECT_FALSE(window->StartButtonSingle->isEnabled());
    EXPECT_EQ(window->Grafik->Anzahl(), 400);

    std::vector<std::uint16_t> polled;
    for (int i = 0; i < 402; ++i)
        polled.push_back(pollAt(80.0f + i * 0.5f));
    ASSERT_EQ(std::set<std::uint16_t>(polled.begin(), polled.end()).size(), polled.size());

    // 402 stores in 401 slots: slot 0 holds the newest, the oldest is the second value.
    EXPECT_EQ(window->samples().WriteIndex(), 1);
    EXPECT_EQ(plotInTimeOrder(), std::vector<std::uint16_t>(polled.begin() + 1, polled.end()));

    // The export writes the slots in memory order, without the last slot.
    const QStringList rows = readAll(exportTo("series.csv")).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 401);
    const auto row = [](std::uint16_t raw) {
        return QString::fromStdString(MeasurementExport::formatRow(raw, *VariantForSensorType(1)));
    };
    EXPECT_EQ(rows[1], row(polled[401]));
    EXPECT_EQ(rows[2], row(polled[1]));
    EXPECT_EQ(rows[400], row(polled[399]));
    EXPECT_FALSE(rows.contains(row(polled[400])));

    // The Q1 poll takes over: one poll at a time.
    window->TriggerButtonClick();
    EXPECT_FALSE(window->RohDataTimer->isActive());
    EXPECT_TRUE(window->MessDataTimer->isActive());
    EXPECT_FALSE(window->StartButton->property("running").toBool());
    EXPECT_TRUE(window->TriggerButton->property("running").toBool());
    window->TriggerButtonClick();
    EXPECT_FALSE(window->MessDataTimer->isActive());
    EXPECT_TRUE(window->StartButtonSingle->isEnabled() && window->TriggerButtonSingle->isEnabled());
}

TEST_F(Qd20MeasureTest, SearchOrManualConnectionStopsARunningPoll) {
    window->StartButtonClick();
    ASSERT_TRUE(window->RohDataTimer->isActive());
    window->SuchenMenuClick();
    EXPECT_FALSE(window->RohDataTimer->isActive());
    EXPECT_FALSE(window->StartButton->property("running").toBool());
    runSearch();
    ASSERT_TRUE(window->Connected);

    window->TriggerButtonClick();
    ASSERT_TRUE(window->MessDataTimer->isActive());
    window->ManuellMenuClick();
    EXPECT_FALSE(window->MessDataTimer->isActive());
    EXPECT_TRUE(window->Connected);
}

TEST_F(Qd20MeasureTest, ExportOfRangeStartAndEndIsByteExact) {
    window->STsaveClick();
    EXPECT_TRUE(prompts.asked().empty()); // no data yet: no dialog

    window->StartButtonClick();
    EXPECT_EQ(pollAt(80.0f), 4095);
    EXPECT_EQ(pollAt(300.0f), 0);
    const QString path = exportTo("ends.csv");
    ASSERT_EQ(prompts.asked().size(), 1u);
    EXPECT_EQ(prompts.asked()[0].text, "Daten speichern");
    EXPECT_EQ(prompts.asked()[0].preset, "Sensordaten (*.csv)|*.csv");

    QString expected = "Rohdaten [LSB];Skaliert [mm]\n4095;  80.0\n0; 300.0\n";
    for (int i = 0; i < 398; ++i)
        expected += "0; 300.0\n";
    EXPECT_EQ(readAll(path), expected);

    // A file that cannot be written says so.
    prompts.answerFile(settingsDir.filePath("missing/dir/x.csv"));
    window->STsaveClick();
    ASSERT_EQ(prompts.messages().size(), 1);
    EXPECT_TRUE(prompts.messages()[0].startsWith("Datei kann nicht geschrieben werden:"))
        << prompts.messages()[0].toStdString();
}

TEST_F(Qd20MeasureTest, SingleMeasurementsShowTruncatedDistanceAndDiffHoldSpan) {
    sensor->setFixedDistance(123.45f); // raw 3286: 123.46 mm, shown cut off
    window->StartButtonSingleClick();
    EXPECT_EQ(window->AbstandsText->text(), "123.4 mm");
    EXPECT_EQ(window->AbstandGauge->value(), 123);
    EXPECT_EQ(window->led_qv->property("ledImage").toInt(), 1);
    EXPECT_FALSE(window->samples().HaveData()); // singles are not part of a series

    sensor->setFixedDistance(300.0f);   // raw 0
    window->FktQ1Slide->SetPosValue(6); // Diff-Hold: the value is a span, not a distance
    window->TriggerButtonSingleClick();
    EXPECT_EQ(window->Q1_Werte->text(), "0.0 mm");
    window->FktQ1Slide->SetPosValue(0);
    window->TriggerButtonSingleClick();
    EXPECT_EQ(window->Q1_Werte->text(), "300.0 mm");

    provider.bus.sensorAt(5)->setAddress(9); // nobody answers any more
    window->StartButtonSingleClick();
    EXPECT_EQ(prompts.messages(), QStringList{"Fehler beim Daten senden oder ungültige Parameter"});
    EXPECT_EQ(window->AbstandsText->text(), "123.4 mm");
}

TEST_F(Qd20MeasureTest, FastModeReadsTheStreamIntoTheWholePlot) {
    window->FktQ1Slide->SetPosValue(7); // "schnelle Messung": '1' followed by 'F'
    window->BSETQ1Click();
    ASSERT_EQ(window->TxCommand, 'F');
    window->StartButtonClick();
    EXPECT_TRUE(prompts.messages().isEmpty()) << prompts.messages().join('|').toStdString();
    EXPECT_TRUE(window->samples().HaveData());
    EXPECT_FALSE(window->RohDataTimer->isActive());
    EXPECT_EQ(window->Grafik->Anzahl(), 20000);
    EXPECT_GE(window->samples().exportCount(), 100u);
    EXPECT_GT(window->samples().slot(0), 0);
}

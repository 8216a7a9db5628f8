#pragma once
// The ZYL 36 window over a simulated NUVA sensor on COM3 with the supervision output on COM4,
// scripted prompts, a fake clock, the port dialog answering OK by itself and settings in a
// private directory.
#include "TQS40_NUVA_Form.h"

#include "AppState.h"
#include "GuiTestEnvironment.h"
#include "Language.h"
#include "NuvaSessionFixture.h"
#include "ScriptedPrompts.h"
#include "TCOMPortDialog.h"
#include "TFortschritt.h"
#include "TLimitParas.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using Bytes = std::vector<std::uint8_t>;

// Passes the line's bytes on to a sensor, but changes the value of every "L" request for
// switch point 1 to one beyond any measuring range: the sensor acknowledges it and keeps its
// old point, as a sensor does with a point it does not take.
class RefusesFirstPoint : public SimPeer {
public:
    explicit RefusesFirstPoint(SimNuvaSensor& sensor) : m_sensor(sensor) {}
    std::uint32_t baud() const override { return m_sensor.baud(); }
    void receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) override {
        if (SimulatedLine::ninthBit(byte, line))
            m_frame.clear();
        m_frame.emplace_back(byte, line);
        if (m_frame.size() < 3 || m_frame.size() != m_frame[2].first)
            return;
        if (m_frame[3].first == 'L' && m_frame[4].first == 0x11) {
            m_frame[7].first ^= m_frame[5].first ^ 0xFF ^ m_frame[6].first ^ 0xFF;
            m_frame[5].first = 0xFF;
            m_frame[6].first = 0xFF;
        }
        for (const auto& [b, settings] : m_frame)
            m_sensor.receive(b, settings, out);
        m_frame.clear();
    }

private:
    SimNuvaSensor& m_sensor;
    std::vector<std::pair<std::uint8_t, LineSettings>> m_frame;
};

struct NuvaFormTest : ::testing::Test {
    QTemporaryDir settingsDir;
    FakeClock clock;
    SimNuvaSensor sensor{12, 222, &clock};
    NuvaPortsProvider provider{clock, sensor};
    Schnittstelle ports{provider, clock};
    ScriptedPrompts prompts;
    AppState app{ports, prompts, clock};
    TCOMPortDialog portDialog{app};
    TFortschritt progress{app};
    std::unique_ptr<TQS40_NUVA_Form> window;

    NuvaFormTest() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        app.portDialog = &portDialog;
        app.progress = &progress;
        portDialog.setAutoAnswer(QDialog::Accepted);
        app.SensorType = 8;
        app.ExpertAccess = true;
        sensor.setStoreDelayMs(0);
    }
    ~NuvaFormTest() override {
        window.reset();
        Language::setEnglish(app, false);
    }

    TQS40_NUVA_Form& open() {
        window = std::make_unique<TQS40_NUVA_Form>(app);
        window->setPortNumber(NuvaPortsProvider::kSensorPort);
        window->show();
        return *window;
    }
    // Opens the window and connects it through "Manuell" to the sensor on COM3.
    void openConnected() {
        open();
        action("ManuellMenu")->trigger();
        ASSERT_EQ(window->ConnectedType(), 12) << prompts.messages().join(" | ").toStdString();
        sensor.clearFrames();
        prompts.clear();
    }

    template <typename T = QWidget> T* child(const char* name) const {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QAction* action(const char* name) const { return child<QAction>(name); }
    template <typename T = QWidget> T* limitsChild(const char* name) const {
        return window->limitDialog()->findChild<T*>(QString::fromLatin1(name));
    }
    bool dataOk() const { return child<QCheckBox>("data_ok")->isChecked(); }
    QString status(int panel) const {
        return child<QLabel>(QStringLiteral("StatusPanel%1").arg(panel).toLatin1().constData())->text();
    }
    void tick() { QMetaObject::invokeMethod(window.get(), "Timer1Timer"); }
    // Drives the search's timer chain tick by tick.
    void runSearch() {
        auto* timer = window->findChild<QTimer*>(QStringLiteral("TSuchen"));
        for (int ticks = 0; timer->isActive() && ticks < 100; ++ticks)
            QMetaObject::invokeMethod(window.get(), "TSuchenTimer");
        EXPECT_FALSE(timer->isActive());
    }

    std::vector<NuvaRequest> heard() const {
        std::vector<NuvaRequest> out;
        for (const Bytes& f : sensor.frames())
            out.push_back({f[3], Bytes(f.begin() + 4, f.end() - 1)});
        return out;
    }
};

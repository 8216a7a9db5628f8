#pragma once
// Program state over simulated ports, scripted prompts and settings in a private directory.
#include "AppState.h"
#include "Language.h"
#include "Schnittstelle.h"
#include "ScriptedPrompts.h"
#include "SensorWindow.h"
#include "SimLineProvider.h"

#include <QCloseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

// A family window that records what the start window asks of it.
class FakeSensorWindow : public QWidget, public SensorWindow {
public:
    void setPortNumber(int com) override { port = com; }
    int portNumber() const override { return port; }
    void showSensorWindow() override {
        ++showCount;
        show();
    }
    int port = -1;
    int showCount = 0;
    bool refuseClose = false; // like a window whose user answers No to its quit question

protected:
    void closeEvent(QCloseEvent* event) override {
        if (refuseClose)
            event->ignore();
        else
            event->accept();
    }
};

struct AppTestFixture : ::testing::Test {
    QTemporaryDir settingsDir;
    FakeClock clock;
    SimLineProvider provider{clock};
    Schnittstelle ports{provider, clock};
    ScriptedPrompts prompts;
    AppState app{ports, prompts, clock};
    AppTestFixture() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    }
    ~AppTestFixture() override { Language::setEnglish(app, false); }
    static QSettings startSettings() { return QSettings(QStringLiteral("qel"), QStringLiteral("Vantrisco")); }
};

#pragma once
// The QS40 window over a simulated QS40MNTB on COM 3, with scripted prompts, a fake clock, the
// port dialog answering by itself and settings in a private directory.
#include "TQS40_Form.h"

#include "AppState.h"
#include "GuiTestEnvironment.h"
#include "Language.h"
#include "Schnittstelle.h"
#include "ScriptedPrompts.h"
#include "SimLineProvider.h"
#include "SimQs40TextSensor.h"
#include "TCOMPortDialog.h"
#include "TFortschritt.h"
#include "TSensorParameterDialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

struct Qs40FormTest : ::testing::Test {
    static constexpr int kCom = 3;

    QTemporaryDir dir;
    FakeClock clock;
    SimLineProvider provider{clock};
    Schnittstelle ports{provider, clock};
    ScriptedPrompts prompts;
    AppState app{ports, prompts, clock};
    TCOMPortDialog portDialog{app};
    TFortschritt progress{app};
    TSensorParameterDialog list;
    Qs40ParameterSet& params = app.Qs40Parameters;
    SimQs40TextSensor sensor{&clock};
    std::unique_ptr<TQS40_Form> window;

    Qs40FormTest() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        app.portDialog = &portDialog;
        app.progress = &progress;
        portDialog.setAutoAnswer(QDialog::Accepted);
        app.SensorType = 7; // as the start window's QS40 button leaves it
        provider.plug(kCom, [this](SimulatedLine& line) { line.attach(&sensor); });
    }
    ~Qs40FormTest() override {
        window.reset();
        Language::setEnglish(app, false);
    }

    TQS40_Form& open() {
        window = std::make_unique<TQS40_Form>(app, &list);
        window->show();
        return *window;
    }
    // Opened and connected by a search, with nothing asked so far.
    TQS40_Form& openConnected() {
        open();
        trigger("SuchenButton");
        EXPECT_TRUE(window->session().connected()) << prompts.messages().join(" | ").toStdString();
        prompts.clear();
        sensor.clearFrames();
        return *window;
    }

    // Opened and connected by hand to `com`, at the line settings the simulated devices use.
    void connectManually(int com) {
        open();
        portDialog.PortNummer->setEditText(QString::number(com));
        portDialog.BaudRate->setEditText("38400");
        portDialog.Parity->setCurrentIndex(0);
        portDialog.Datenbits->setEditText("8");
        portDialog.CBTimeout->setEditText("100");
        trigger("ManuellMenu");
        ASSERT_TRUE(window->session().connectedManually()) << prompts.messages().join(" | ").toStdString();
        prompts.clear();
    }

    template <typename T> T* find(const char* name) {
        T* w = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QAction* action(const char* name) { return find<QAction>(name); }
    void trigger(const char* name) { action(name)->trigger(); }
    QString text(const char* name) { return find<QLineEdit>(name)->text(); }
    QString label(const char* name) { return find<QLabel>(name)->text(); }
    QStringList listed() {
        return find<QPlainTextEdit>("FehlerMeldung")->toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    QTimer* timer() { return find<QTimer>("TimerLesen"); }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
};

// ZYLConfig: creates the program state and every window once, shows the start window and runs
// the event loop. `--demo` attaches simulated sensors instead of the machine's serial ports.
#include "AppState.h"
#include "DemoDeviceProvider.h"
#include "HelpWindow.h"
#include "NativePorts.h"
#include "PortMap.h"
#include "QtPrompts.h"
#include "Schnittstelle.h"
#include "TAboutBox.h"
#include "TCOMPortDialog.h"
#include "TFSimulation.h"
#include "TFortschritt.h"
#include "TLimitParas.h"
#include "TModifyValue.h"
#include "TPasswordDlg.h"
#include "TQD20_Form.h"
#include "TQS40_Form.h"
#include "TQS40_NUVA_Form.h"
#include "TSensorParameterDialog.h"
#include "TStartForm.h"

#include <QApplication>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// Port assignments of the settings group "Ports" ("COM3=/dev/ttyUSB0"), then the environment.
PortMap readPortMap() {
    PortMap map(nativePortNaming());
    QSettings settings(QStringLiteral("qel"), QStringLiteral("Vantrisco"));
    settings.beginGroup(QStringLiteral("Ports"));
    std::vector<std::pair<std::string, std::string>> entries;
    for (const QString& key : settings.childKeys())
        entries.emplace_back(key.toStdString(), settings.value(key).toString().toStdString());
    map.addSettings(entries);
    map.addEnvironment();
    return map;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZYLConfig"));
    QApplication::setApplicationVersion(QStringLiteral(ZYL_PROGRAM_VERSION));

    // `--demo` belongs to the launcher; the access words are looked for in what remains.
    QStringList arguments = QApplication::arguments().mid(1);
    const bool demo = arguments.removeAll(QStringLiteral("--demo")) > 0;

    SystemClock clock;
    std::unique_ptr<DeviceProvider> provider;
    std::vector<std::string> portWarnings;
    if (demo) {
        provider = std::make_unique<DemoDeviceProvider>(clock);
    } else {
        PortMap map = readPortMap();
        portWarnings = map.warnings();
        provider = createNativeDeviceProvider(std::move(map));
    }
    Schnittstelle ports(*provider, clock);
    QtPrompts prompts;
    AppState app(ports, prompts, clock);

    // Every window exists from here to the end of the program; the first is the main window.
    auto start = std::make_unique<TStartForm>(app, arguments);
    auto qd20 = std::make_unique<TQD20_Form>(app);
    auto about = std::make_unique<TAboutBox>(app);
    auto portDialog = std::make_unique<TCOMPortDialog>(app);
    auto progress = std::make_unique<TFortschritt>(app);
    auto simulation = std::make_unique<TFSimulation>(app);
    auto nuva = std::make_unique<TQS40_NUVA_Form>(app);
    auto limits = std::make_unique<TLimitParas>();
    auto modifyValue = std::make_unique<TModifyValue>();
    auto sensorParameters = std::make_unique<TSensorParameterDialog>();
    auto qs40 = std::make_unique<TQS40_Form>(app, sensorParameters.get());
    auto password = std::make_unique<TPasswordDlg>();
    auto help = std::make_unique<HelpWindow>();

    app.about = about.get();
    app.portDialog = portDialog.get();
    app.progress = progress.get();
    app.help = help.get();
    app.simulation = simulation.get();
    start->setSensorWindows(qd20.get(), nuva.get());
    start->setQs40Window(qs40.get());

    // Closing the start window ends the program, whatever other window is still open.
    QApplication::setQuitOnLastWindowClosed(false);
    start->show();

    for (const std::string& w : portWarnings)
        std::fprintf(stderr, "zylconfig: %s\n", w.c_str());
    if (!portWarnings.empty()) {
        // Built when shown, so it comes in the language the last run restored.
        QTimer::singleShot(0, start.get(), [&app, &start, &portWarnings] {
            QString text =
                QCoreApplication::translate("main", "Diese Einträge der Portzuordnung werden nicht verwendet:");
            for (const std::string& w : portWarnings)
                text += QStringLiteral("\n") + QString::fromStdString(w);
            app.prompts.message(start.get(), Prompts::Icon::Warning, text, Prompts::Ok);
        });
    }
    return QApplication::exec();
}

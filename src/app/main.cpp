// ZYLConfig: creates the program state and every window once, shows the start window and runs
// the event loop. `--demo` attaches simulated sensors instead of the machine's serial ports.
#include "AppState.h"
#include "Artwork.h"
#include "DemoDeviceProvider.h"
#include "HelpWindow.h"
#include "Language.h"
#include "LaunchOptions.h"
#include "NativePorts.h"
#include "PortMap.h"
#include "PortMapSettings.h"
#include "QtPrompts.h"
#include "Schnittstelle.h"
#include "TAboutBox.h"
#include "TCOMPortDialog.h"
#include "TFSimulation.h"
#include "TFortschritt.h"
#include "TModifyValue.h"
#include "TPasswordDlg.h"
#include "TQD20_Form.h"
#include "TQS40_Form.h"
#include "TQS40_NUVA_Form.h"
#include "TSensorParameterDialog.h"
#include "TStartForm.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// The logo in the sizes desktops ask for; the same pictures are installed as the program's icon.
QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(Artwork::logo(size)));
    return icon;
}

} // namespace

int main(int argc, char* argv[]) {
    // Read before the application object exists, which needs a display.
    const LaunchOptions launch = ParseLaunchOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (launch.help || launch.version) {
        std::fputs((launch.help ? helpText(ZylconfigUsage()) : versionText("zylconfig")).c_str(), stdout);
        return 0;
    }
    if (!launch.error.empty()) {
        std::fprintf(stderr, "zylconfig: %s\n%s", launch.error.c_str(), shortUsage(ZylconfigUsage()).c_str());
        return 2;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZYLConfig"));
    QApplication::setApplicationVersion(QStringLiteral(ZYL_PROGRAM_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("zylconfig"));
    QApplication::setWindowIcon(programIcon());

    // `--demo` belongs to the launcher; the access words are looked for in what remains.
    QStringList arguments;
    for (const std::string& word : launch.words)
        arguments << QString::fromLocal8Bit(word.c_str());
    const bool demo = launch.demo;

    SystemClock clock;
    std::unique_ptr<DeviceProvider> provider;
    std::vector<PortMapWarning> portWarnings;
    if (demo) {
        provider = std::make_unique<DemoDeviceProvider>(clock);
    } else {
        PortMap map = readPortMapSettings(nativePortNaming());
        portWarnings = map.warningList();
        provider = createNativeDeviceProvider(std::move(map));
    }
    Schnittstelle ports(*provider, clock);
    QtPrompts prompts;
    AppState app(ports, prompts, clock);
    // Shown by the start window once it has restored the last run's language, in that language.
    app.portMapWarnings = std::move(portWarnings);
    // German until the start window restores the last run's language; Qt's own dialogs too.
    Language::setEnglish(app, false);

    // Every window exists from here to the end of the program; the first is the main window.
    auto start = std::make_unique<TStartForm>(app, arguments);
    auto qd20 = std::make_unique<TQD20_Form>(app);
    auto about = std::make_unique<TAboutBox>(app);
    auto portDialog = std::make_unique<TCOMPortDialog>(app);
    auto progress = std::make_unique<TFortschritt>(app);
    auto simulation = std::make_unique<TFSimulation>(app);
    auto nuva = std::make_unique<TQS40_NUVA_Form>(app); // with its limit parameter dialog
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

    return QApplication::exec();
}

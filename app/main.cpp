// q7floater: the floater beside Q7. A second start hands its personal number
// to the floater that already runs and ends.

#include "floater/FloaterCaptionReader.h"
#include "floater/FloaterMessages.h"
#include "floater/SessionPlatform.h"
#include "floater/ShutdownSignals.h"
#include "floater/TQ7FloaterFrmOrvana.h"
#include "floater/X11MessageFilter.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/XResources.h"
#include "app/core/ProgramInfo.h"
#include "app/database/DatabaseStartup.h"
#include "dicom/DicomSetup.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Progress.h"
#include "toolkit/core/Settings.h"
#include "toolkit/core/ToolkitPaths.h"
#include "toolkit/db/JournalConnection.h"
#include "toolkit/db/PowerEvents.h"

#include <QApplication>
#include <QCursor>

#include <cstdlib>
#include <iostream>
#include <stdexcept>

namespace {

// The floater while it exists, for the close steps at exit(): Qt ends the
// process with exit() when the connection to the X server breaks.
floater::TQ7FloaterFrmOrvana* liveFloater = nullptr;

void closeStepsAtExit()
{
    if (liveFloater)
        liveFloater->FormClose();
}

struct CommandLine {
    std::vector<std::string> args; // without the program name and our own switches
    std::string stateFile;
};

// "--state-file PATH" is ours; it must never be taken for a personal number.
CommandLine parseCommandLine(int argc, char** argv)
{
    CommandLine cl;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--state-file" && i + 1 < argc)
            cl.stateFile = argv[++i];
        else if (a.rfind("--state-file=", 0) == 0)
            cl.stateFile = a.substr(13);
        else
            cl.args.push_back(a);
    }
    return cl;
}

} // namespace

int main(int argc, char** argv)
{
    if (const auto rc = app::AnswerInfoSwitch(std::vector<std::string>(argv + 1, argv + argc), std::cout))
        return *rc;
    const CommandLine cl = parseCommandLine(argc, argv);
    std::unique_ptr<platform::Desktop> desktop = platform::openSessionDesktop();
    if (desktop) {
        if (floater::handOverToRunningFloater(*desktop, cl.args) != floater::HandOver::NoFloater)
            return 0;
        desktop.reset();
    }

    {
        const std::vector<std::string> all(argv + 1, argv + argc);
        if (const auto platform = floater::PlatformToRequest(all, std::getenv("QT_QPA_PLATFORM")))
            qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*platform));
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(floater::kApplicationTitle);
    QApplication::setQuitOnLastWindowClosed(true);
    try {
        toolkit::InitToolkitPaths();
    } catch (const std::exception& e) {
        toolkit::ShowError(QString::fromUtf8(e.what()));
        return 1;
    }
    // An older value in the user's own settings would come back at the next
    // start. Said in a balloon: a modal box would hold up the tracking.
    toolkit::SetUserRootFailureNotifier([](const std::string& reason) {
        toolkit::ShowBalloonHintAt(toolkit::Translate(QStringLiteral(
                                 "Inställningen kunde inte sparas i dina egna inställningar. "
                                 "Ett äldre värde där gäller vid nästa start."))
                                       + QStringLiteral("\r\r") + QString::fromStdString(reason),
                                   QCursor::pos());
    });

    // On X11 the floater talks through Qt's own connection, so that the
    // identity it gives its window is not overtaken by Qt's requests.
    std::unique_ptr<platform::X11Desktop> qtDesktop;
    if (auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>())
        qtDesktop = std::make_unique<platform::X11Desktop>(x11->connection());
    const bool onX11 = qtDesktop && qtDesktop->ok();
    const platform::WindowId appWindow =
        onX11 ? qtDesktop->createApplicationWindow(floater::kApplicationClass, floater::kApplicationTitle) : 0;

    QStringList args;
    for (const std::string& a : cl.args)
        args << QString::fromStdString(a);
    toolkit::ChooseDataProviderFile(args, QString::fromStdString(toolkit::Paths().ProgramDir));
    if (onX11) {
        // Long work hands its status to the suite's progress program when it runs.
        toolkit::ProgressProgramSetup progress;
        progress.arguments = cl.args;
        progress.applicationWindow = appWindow;
        toolkit::InitProgress(qtDesktop.get(), progress);
    }
    toolkit::PowerEventHandler power;
    power.listenToLogind();
    app::FloaterDatabases databases;
    databases.dicomComponent = dicom::DictionaryLoaded;
    floater::TQ7FloaterFrmOrvana window(onX11 ? qtDesktop.get() : nullptr, args, &databases);
    window.setStateFile(QString::fromStdString(cl.stateFile));
    liveFloater = &window;
    std::atexit(closeStepsAtExit);
    struct Forget {
        ~Forget() { liveFloater = nullptr; }
    } forget;
    // The session ending quits the application without closing the window.
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &window,
                     [&window] { window.FormClose(); });
    floater::ShutdownSignals shutdownSignals([&window](int) {
        window.FormClose();
        QCoreApplication::quit();
    });
    // Read at every capture: the session may switch its font smoothing.
    const auto clearTypeMode = [&qtDesktop, onX11] {
        return onX11 && platform::SubPixelSmoothing(platform::ReadResourceManager(
                            qtDesktop->connection(), qtDesktop->root()));
    };
    // Goes with the floater: the recognition and its OCR host end when the
    // floater closes and the event loop returns.
    floater::FloaterCaptionReader captions(window, clearTypeMode);
    window.setCaptionReader(&captions);
    floater::X11MessageFilter filter(&window);
    if (onX11)
        application.installNativeEventFilter(&filter);
    window.show();
    const int rc = application.exec();
    if (appWindow)
        qtDesktop->destroyWindow(appWindow);
    return rc;
}

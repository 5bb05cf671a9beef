// demo-data <directory> [patients]: makes the demo site's databases and files.
// demo-data --settings <directory>: points a floater started in the working
// directory at that site.
#include "DemoData.h"
#include "toolkit/core/ToolkitPaths.h"
#include "tools/ToolArguments.h"

#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>

namespace {

constexpr const char* kUsage = "usage: demo-data DIRECTORY [PATIENTS]\n"
                               "       demo-data --settings DIRECTORY\n"
                               "Makes a demo site in DIRECTORY (PATIENTS from 1 to 100000), or points\n"
                               "a floater started in the working directory at the site in DIRECTORY.\n";

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (std::any_of(args.begin() + 1, args.end(),
                    [](const QString& a) { return tools::IsHelpSwitch(a.toStdString()); })) {
        QTextStream(stdout) << kUsage;
        return 0;
    }
    if (args.size() == 3 && args[1] == QLatin1String("--settings")
        && !tools::LooksLikeSwitch(args[2].toStdString())) {
        toolkit::InitToolkitPaths();
        demo::WriteDemoSettings(args[2]);
        return 0;
    }
    if (args.size() < 2 || args.size() > 3 || tools::LooksLikeSwitch(args[1].toStdString())) {
        err << kUsage;
        return 2;
    }
    demo::DemoOptions options;
    if (args.size() == 3) {
        bool ok = false;
        options.patients = args[2].toInt(&ok);
        if (!ok || options.patients < 1 || options.patients > 100000) {
            err << "patients: a number from 1 to 100000\n";
            return 2;
        }
    }
    QString error;
    if (!demo::MakeDemoData(args[1], options, &error)) {
        err << "demo-data: " << error << '\n';
        return 1;
    }
    QTextStream(stdout) << "Demo data written to " << args[1] << "; export ODBCINI=" << args[1]
                        << "/odbc.ini for the Q7 data source\n";
    return 0;
}

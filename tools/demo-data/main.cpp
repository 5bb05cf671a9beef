// demo-data <directory> [patients]: makes the demo site's databases and files.
// demo-data --settings <directory>: points a floater started in the working
// directory at that site.
#include "DemoData.h"
#include "toolkit/core/ToolkitPaths.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() == 3 && args[1] == QLatin1String("--settings")) {
        toolkit::InitToolkitPaths();
        demo::WriteDemoSettings(args[2]);
        return 0;
    }
    if (args.size() < 2 || args.size() > 3) {
        err << "usage: demo-data <directory> [patients]\n";
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

#include "FloaterSite.h"

#include "toolkit/core/Settings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QThread>

namespace floater_test {

FloaterSite::FloaterSite(const QString& display) : display_(display)
{
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("DISPLAY", display_);
    env_.insert("QT_QPA_PLATFORM", "xcb");
    env_.insert("TQ7_REGISTRY_USER", dir_.filePath("user.reg"));
    env_.insert("TQ7_REGISTRY_MACHINE", dir_.filePath("machine.reg"));
    env_.insert("XDG_CONFIG_HOME", dir_.filePath("config"));
    env_.insert("XDG_RUNTIME_DIR", dir_.path());
    registry_ = std::make_unique<toolkit::FileRegistry>(std::map<toolkit::RegistryRoot, std::string>{
        {toolkit::RegistryRoot::CurrentUser, dir_.filePath("user.reg").toStdString()},
        {toolkit::RegistryRoot::LocalMachine, dir_.filePath("machine.reg").toStdString()}});
}

FloaterSite::~FloaterSite()
{
    if (floater_.state() != QProcess::NotRunning) {
        floater_.kill();
        floater_.waitForFinished(5000);
    }
}

QString FloaterSite::binary(const QString& relative)
{
    return QString(TQ7_BINARY_DIR) + "/" + relative;
}

void FloaterSite::writeSetting(const std::string& section, const std::string& name, const std::string& value)
{
    toolkit::setRegistry(registry_.get());
    const std::string key = toolkit::InstallKey();
    toolkit::SetInstallKey(toolkit::InstallKeyFor(dir_.path().toStdString()));
    toolkit::WriteSetting(section, name, value);
    toolkit::SetInstallKey(key);
    toolkit::setRegistry(nullptr);
}

bool FloaterSite::makeDemoSite()
{
    const QString site = dir_.filePath("site");
    if (run(binary("tools/demo-data/demo-data"), {site}, 60000) != 0)
        return false;
    env_.insert("ODBCINI", site + "/odbc.ini");
    env_.insert("TQ7_DATALINKS_DIR", site + "/");
    return run(binary("tools/demo-data/demo-data"), {"--settings", site}) == 0;
}

int FloaterSite::run(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.setProcessEnvironment(env_);
    p.setWorkingDirectory(dir_.path());
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(2000);
        return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool FloaterSite::startFloater(const QStringList& args)
{
    floater_.setProcessEnvironment(env_);
    floater_.setWorkingDirectory(dir_.path());
    floater_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    floater_.start(binary("app/q7floater"), QStringList{"--state-file", dir_.filePath("state.json")} + args);
    return floater_.waitForStarted(5000) &&
           waitForState([](const QJsonObject& s) { return !s.isEmpty(); }, 15000);
}

QJsonObject FloaterSite::state() const
{
    QFile f(dir_.filePath("state.json"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

bool FloaterSite::waitForState(const std::function<bool(const QJsonObject&)>& pred, int ms) const
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (pred(state()))
            return true;
        QThread::msleep(50);
    }
    return false;
}

bool FloaterSite::click(int x, int y, int count)
{
    const QJsonObject g = state()["geometry"].toObject();
    const QString px = QString::number(g["x"].toInt() + x), py = QString::number(g["y"].toInt() + y);
    // Without a window manager nothing keeps the floater on top: raise it first,
    // so windows of tests running beside us cannot take the click. No --sync:
    // it waits for ever when the pointer is there already.
    return run("xdotool", {"search", "--class", "^TQ7FloaterFrmOrvana$", "windowraise", "mousemove",
                           px, py, "click", "--repeat", QString::number(count), "--delay", "60", "1"}) == 0;
}

bool FloaterSite::raiseFloater()
{
    // The search walks every window of the display; one that another test
    // closes meanwhile ends xdotool with BadWindow. Nothing was pressed yet,
    // so trying again is safe.
    for (int tries = 0; tries < 3; ++tries)
        if (run("xdotool", {"search", "--class", "^TQ7FloaterFrmOrvana$", "windowraise"}) == 0)
            return true;
    return false;
}

bool FloaterSite::drag(int x, int y, int dx, int dy)
{
    const QJsonObject g = state()["geometry"].toObject();
    const int px = g["x"].toInt() + x, py = g["y"].toInt() + y;
    if (!raiseFloater())
        return false;
    QStringList args{"mousemove", QString::number(px), QString::number(py), "mousedown", "1"};
    // Several motions, as a hand makes them: each is applied to where the
    // window is by then.
    for (int step = 1; step <= 4; ++step)
        args << "sleep" << "0.05" << "mousemove" << QString::number(px + dx * step / 4)
             << QString::number(py + dy * step / 4);
    args << "sleep" << "0.05" << "mouseup" << "1";
    return run("xdotool", args) == 0;
}

bool FloaterSite::chooseFirstMenuItem(int x, int y)
{
    const QJsonObject g = state()["geometry"].toObject();
    const int px = g["x"].toInt() + x, py = g["y"].toInt() + y;
    return raiseFloater() &&
           run("xdotool", {"mousemove", QString::number(px), QString::number(py), "click", "3", "sleep", "0.5",
                           "mousemove", QString::number(px + 30), QString::number(py + 10), "sleep",
                           "0.2", "click", "1"}) == 0;
}

bool waitForFileText(const QString& file, const QString& text, int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QFile f(file);
        if (f.open(QIODevice::ReadOnly) && QString::fromUtf8(f.readAll()).contains(text))
            return true;
        QThread::msleep(50);
    }
    return false;
}

} // namespace floater_test

#pragma once
// A floater process on the test run's X server, with a settings store, a
// working directory and, when asked, a demo journal of its own.

#include "toolkit/core/FileRegistry.h"

#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace floater_test {

class FloaterSite {
public:
    // display: the X display; empty makes ok() false.
    explicit FloaterSite(const QString& display);
    ~FloaterSite();

    bool ok() const { return !display_.isEmpty() && dir_.isValid(); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    const QProcessEnvironment& environment() const { return env_; }

    // Makes the demo site in "site/" and points the floater at it.
    bool makeDemoSite();
    // Writes a setting of the floater's installation (its working directory).
    void writeSetting(const std::string& section, const std::string& name, const std::string& value);

    // Starts the floater; true once it has written its state.
    bool startFloater(const QStringList& args = {});
    QProcess& floaterProcess() { return floater_; }
    // Runs one of the build's programs to its end; its exit code, -1 when it did not end.
    int run(const QString& program, const QStringList& args, int timeoutMs = 10000);

    QJsonObject state() const;
    bool waitForState(const std::function<bool(const QJsonObject&)>& pred, int ms) const;
    // Clicks (count 1) or double-clicks (2) at a point of the floater's window.
    bool click(int x, int y, int count);
    // Presses the left button at a point of the floater's window, moves the
    // mouse by (dx, dy) in steps and lets go.
    bool drag(int x, int y, int dx, int dy);
    // Right-clicks at a point of the window and clicks the first item of the
    // menu that opens there.
    bool chooseFirstMenuItem(int x, int y);

    static QString binary(const QString& relative);

private:
    bool raiseFloater();

    QString display_;
    QTemporaryDir dir_;
    QProcessEnvironment env_;
    QProcess floater_;
    std::unique_ptr<toolkit::FileRegistry> registry_;
};

// Waits until a text file contains the text; true when it did in time.
bool waitForFileText(const QString& file, const QString& text, int ms);

} // namespace floater_test

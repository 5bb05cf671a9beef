// Every tool answers --help with its usage and does nothing else; a switch it
// does not know, or a switch where a file or folder name belongs, is refused
// before anything is written.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Case {
    const char* program;
    QStringList arguments;
    int exitCode; // 0: the usage on standard output; 2: on standard error
};

TEST(ToolCommandLine, HelpShowsTheUsageAndSwitchesAreNeverTakenForNames)
{
    const Case cases[] = {
        {TQ7_DEMO_DATA, {"--help"}, 0},
        {TQ7_DEMO_DATA, {"-h"}, 0},
        {TQ7_DEMO_DATA, {"site", "--help"}, 0},
        {TQ7_DEMO_DATA, {"--site"}, 2},
        {TQ7_DEMO_DATA, {"--site", "10"}, 2},
        {TQ7_DEMO_DATA, {"--settings", "--site"}, 2},
        {TQ7_Q7SIM, {"--help"}, 0},
        {TQ7_Q7SIM, {"--scenario"}, 2},
        {TQ7_ORVANASIM, {"--help"}, 0},
        {TQ7_ORVANASIM, {"--log", "--minimized"}, 2},
        {TQ7_TRAIN_KNOWLEDGE, {"--help"}, 0},
        {TQ7_TRAIN_KNOWLEDGE, {"--out.sfp"}, 2},
        {TQ7_TRAIN_KNOWLEDGE, {"--dcr-dir", "--x", "out.sfp"}, 2},
        {TQ7_TRAIN_KNOWLEDGE, {"--seed", "12x", "out.sfp"}, 2},
        {TQ7_OCR_WORKBENCH, {"--help"}, 0},
        {TQ7_OCR_WORKBENCH, {"-picture.png", "0"}, 2},
        {TQ7_OCR_WORKBENCH, {"picture.png", "0", "--bold"}, 2},
    };
    for (const Case& c : cases) {
        const QString name = QFileInfo(c.program).fileName();
        SCOPED_TRACE(qPrintable(name + ' ' + c.arguments.join(' ')));
        QTemporaryDir dir;
        QProcess tool;
        tool.setWorkingDirectory(dir.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY"); // nothing may need a window system
        environment.insert("HOME", dir.path());
        tool.setProcessEnvironment(environment);
        tool.start(c.program, c.arguments);
        ASSERT_TRUE(tool.waitForStarted());
        tool.closeWriteChannel();
        if (!tool.waitForFinished(60000)) {
            tool.kill();
            tool.waitForFinished();
            ADD_FAILURE() << "still running after a minute";
            continue;
        }
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tool.exitCode(), c.exitCode);
        const QString usage = QString::fromLocal8Bit(
            c.exitCode == 0 ? tool.readAllStandardOutput() : tool.readAllStandardError());
        EXPECT_TRUE(usage.startsWith("usage: " + name)) << qPrintable(usage);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList());
    }
}

} // namespace

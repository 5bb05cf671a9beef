#pragma once
// A private settings store, a recording dialog presenter and answered file,
// colour and print dialogs for the editor's tests.

#include "editor/window/BildEditorForm3.h"
#include "toolkit/Dialogs.h"
#include "toolkit/core/FileRegistry.h"
#include "toolkit/core/Settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace editortest {

class Presenter : public toolkit::DialogPresenter {
public:
    int answer = 0; // 0: Yes/OK, 1: No
    std::vector<QString> shown;
    int show(toolkit::DialogKind, const QString&, const QString& text, const QStringList&) override
    {
        shown.push_back(text);
        return answer;
    }
    void balloon(const QString&, const QString& text, QWidget*, const QPoint&) override { shown.push_back(text); }
    bool showed(const QString& part) const
    {
        for (const QString& s : shown)
            if (s.contains(part))
                return true;
        return false;
    }
};

class Prompts : public editor::EditorPrompts {
public:
    QString fileName, filter;
    QString SaveFileName(QWidget*, const QString&, const QStringList&, QString& selectedFilter) override
    {
        selectedFilter = filter;
        return fileName;
    }
};

class EditorEnvironment : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        registry = std::make_unique<toolkit::FileRegistry>(std::map<toolkit::RegistryRoot, std::string>{
            {toolkit::RegistryRoot::CurrentUser, dir.filePath("user.reg").toStdString()},
            {toolkit::RegistryRoot::LocalMachine, dir.filePath("machine.reg").toStdString()}});
        toolkit::setRegistry(registry.get());
        toolkit::setDialogPresenter(&dialogs);
    }
    void TearDown() override
    {
        toolkit::setDialogPresenter(nullptr);
        toolkit::setRegistry(nullptr);
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    std::unique_ptr<toolkit::FileRegistry> registry;
    Presenter dialogs;
};

} // namespace editortest

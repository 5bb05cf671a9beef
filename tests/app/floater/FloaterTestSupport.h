#pragma once
// A private settings store in a temporary folder for the floater's widget tests.

#include "toolkit/core/FileRegistry.h"
#include "toolkit/core/Settings.h"

#include <filesystem>
#include <memory>
#include <unistd.h>

namespace floater_test {

class TempSettings {
public:
    TempSettings()
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("tq7-floater-" + std::to_string(::getpid()) + "-" + std::to_string(counter()++));
        std::filesystem::create_directories(dir_);
        reg_ = std::make_unique<toolkit::FileRegistry>(std::map<toolkit::RegistryRoot, std::string>{
            {toolkit::RegistryRoot::CurrentUser, (dir_ / "user.reg").string()},
            {toolkit::RegistryRoot::LocalMachine, (dir_ / "machine.reg").string()}});
        toolkit::setRegistry(reg_.get());
        toolkit::SetInstallKey("_test\\");
    }
    ~TempSettings()
    {
        toolkit::setRegistry(nullptr);
        std::filesystem::remove_all(dir_);
    }
    const std::filesystem::path& dir() const { return dir_; }

private:
    static int& counter()
    {
        static int n = 0;
        return n;
    }
    std::filesystem::path dir_;
    std::unique_ptr<toolkit::FileRegistry> reg_;
};

} // namespace floater_test

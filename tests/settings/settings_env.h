#pragma once
// Points the settings folder of the process at a scoped temporary folder for one test.

#include <cstdlib>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace parvex::test {

class TScopedEnv {
public:
    TScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~TScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// XDG_CONFIG_HOME set to a fresh temporary folder while the object lives.
class TTempConfig {
public:
    TTempConfig() : env_("XDG_CONFIG_HOME", dir_.Path().c_str()) {}
    const std::filesystem::path& Home() const { return dir_.Path(); }
    std::filesystem::path IniPath() const { return dir_.Path() / "parvex" / "parvex.INI"; }
    void WriteIni(std::string_view text) const { dir_.Write("parvex/parvex.INI", text); }
    std::string ReadIni() const { return ReadAll(IniPath()); }

private:
    TempDir dir_;
    TScopedEnv env_;
};

}  // namespace parvex::test

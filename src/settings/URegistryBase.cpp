#include "settings/URegistryBase.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace tarnel {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (!home.empty()) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return ".";
}

// Clears the open INI when Load or Save ends, also by an exception.
struct OpenScope {
    std::unique_ptr<TIniFile>& ini;
    ~OpenScope() { ini.reset(); }
};

} // namespace

TRegistryBase::TRegistryBase(std::string maker, std::string product)
    : fileName_(DefaultFileName(maker, product)) {}

TRegistryBase::~TRegistryBase() = default;

std::string TRegistryBase::DefaultFileName(const std::string& maker, const std::string& product) {
    std::string config = Environment("TARNEL_CONFIG");
    if (!config.empty()) return config;
    std::string base = Environment("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is ignored, as the XDG base-directory rules say.
    if (base.empty() || base.front() != '/') base = HomeFolder() + "/.config";
    if (base.back() != '/') base += '/';
    return base + maker + "/" + product + ".ini";
}

void TRegistryBase::Load() {
    TIniFile ini;
    try {
        ini = TIniFile::ReadFile(fileName_);
    } catch (const EIniFileError& e) {
        throw ESettingsError(std::string("the settings file: ") + e.what());
    }
    ini_ = std::make_unique<TIniFile>(std::move(ini));
    OpenScope scope{ini_};
    LoadValues();
}

void TRegistryBase::Save() {
    try {
        std::error_code ec;
        bool existed = std::filesystem::exists(fileName_, ec);
        ini_ = std::make_unique<TIniFile>(TIniFile::ReadFile(fileName_));
        OpenScope scope{ini_};
        std::string before = ini_->Bytes();
        SaveValues();
        if (existed && ini_->Bytes() == before) return; // nothing changed: leave the file alone
        std::filesystem::path folder = std::filesystem::path(fileName_).parent_path();
        if (!folder.empty()) {
            std::filesystem::create_directories(folder, ec);
            if (ec)
                throw ESettingsError("cannot write the settings file " + fileName_ +
                                     ": cannot create its folder: " + ec.message());
        }
        ini_->WriteFile(fileName_);
    } catch (const EIniFileError& e) {
        ini_.reset();
        throw ESettingsError(std::string("the settings file: ") + e.what());
    }
}

TIniFile& TRegistryBase::Open() const {
    if (!ini_) throw std::logic_error("settings are read or written outside Load and Save");
    return *ini_;
}

std::string TRegistryBase::ReadString(std::string_view section, std::string_view name,
                                      std::string_view defaultValue) const {
    return Open().ReadString(section, name, defaultValue);
}

int TRegistryBase::ReadInteger(std::string_view section, std::string_view name,
                               int defaultValue) const {
    return Open().ReadInteger(section, name, defaultValue);
}

bool TRegistryBase::ReadBool(std::string_view section, std::string_view name,
                             bool defaultValue) const {
    return Open().ReadBool(section, name, defaultValue);
}

void TRegistryBase::WriteString(std::string_view section, std::string_view name,
                                std::string_view value) {
    Open().WriteString(section, name, value);
}

void TRegistryBase::WriteInteger(std::string_view section, std::string_view name, int value) {
    Open().WriteInteger(section, name, value);
}

void TRegistryBase::WriteBool(std::string_view section, std::string_view name, bool value) {
    Open().WriteBool(section, name, value);
}

} // namespace tarnel

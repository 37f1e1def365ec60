// The per-user settings file: a typed store of named values grouped in sections.
//
// The application keeps its own settings (as opposed to a wiki's Wiki.ini) in one INI file
// per user: $XDG_CONFIG_HOME/<maker>/<product>.ini, by default
// ~/.config/Orvel/Tarnel.ini. The environment variable TARNEL_CONFIG names another file
// (tests, and tarnel-cli --config). The file is UTF-8; every value is a string, integers as
// decimal text and booleans as "1" or "0".
//
// TRegistryBase knows the file and offers typed reads and writes; a derived class holds the
// settings as fields and says in LoadValues and SaveValues which values it reads and writes.
// Load reads the file once, Save writes it once. Sections and values that the derived class
// does not write are kept as the file holds them at the moment of saving, so values written
// by other parts of the program or by a newer version survive.
#pragma once

#include "settings/UIniFile.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnel {

// The settings file cannot be read or written. The message names the file and the reason.
class ESettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TRegistryBase {
public:
    // Settings of `product` made by `maker`: the file is found as described above. Nothing is
    // read until Load.
    TRegistryBase(std::string maker, std::string product);
    virtual ~TRegistryBase();
    // A copy holds the same values and file name (a wiki is opened on a copy of the
    // settings, which replaces them only once the wiki's page could be shown).
    TRegistryBase(const TRegistryBase& other) : fileName_(other.fileName_) {}
    TRegistryBase& operator=(const TRegistryBase& other) {
        fileName_ = other.fileName_;
        return *this;
    }

    // The settings file: TARNEL_CONFIG when set and not empty, else
    // $XDG_CONFIG_HOME/<maker>/<product>.ini (XDG_CONFIG_HOME only when it is an absolute
    // path), else $HOME/.config/<maker>/<product>.ini.
    static std::string DefaultFileName(const std::string& maker, const std::string& product);

    // The file that Load and Save use, and a way to point them at another one (--config).
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }

    // Reads the file and calls LoadValues. A file that does not exist is empty, so every
    // field keeps its default. A file that exists but cannot be read raises ESettingsError
    // before any field changes.
    void Load();
    // Reads the file again (to keep what it holds besides our values), calls SaveValues and
    // replaces the file in one step, creating its folder when missing. A failure raises
    // ESettingsError and leaves the old file as it was.
    void Save();

protected:
    virtual void LoadValues() = 0;
    virtual void SaveValues() = 0;

    // Typed access, valid only inside LoadValues and SaveValues (else std::logic_error).
    // Reads: a missing section or value gives the default; an integer or boolean whose text is
    // not a decimal integer gives the default; a boolean is true for any non-zero integer.
    // Strings are the file's UTF-8 text as it stands.
    std::string ReadString(std::string_view section, std::string_view name,
                           std::string_view defaultValue) const;
    int ReadInteger(std::string_view section, std::string_view name, int defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view name, bool defaultValue) const;
    void WriteString(std::string_view section, std::string_view name, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view name, int value);
    void WriteBool(std::string_view section, std::string_view name, bool value);

private:
    TIniFile& Open() const;

    std::string fileName_;
    // The file's contents while Load or Save runs; absent otherwise.
    std::unique_ptr<TIniFile> ini_;
};

} // namespace tarnel

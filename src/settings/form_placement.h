#pragma once
// Remembers where a top-level window stood and how it was shown, in the settings file, and drives the
// read at first show and the write at close.
//
// Keys, in the window's section (by default the window class name without its namespace):
//   "FormVersion"        Version(); a file with a smaller number is not read at all
//   "Flags"              0 (kept for files shared with older versions; not read)
//   "ShowCmd"            1 normal, 2 minimized, 3 maximized
//   "PixelsPerInch"      the screen's logical dots per inch; a saved position is applied only on a
//                        screen with the same value
//   "MinMaxPos(WxH)", "MinMaxPos"   "-1,-1,-1,-1" (no such positions on this platform; not read)
//   "NormPos(WxH)", "NormPos"       "left,top,right,bottom" of the window frame; WxH is the screen size
//                        in the form "(1024x768)", so each screen size keeps its own position, and the
//                        plain key holds the last one written
//   "Visible"            "1" when written while the window is destroyed, else "0"; never read
//
// The window calls the three hooks from its own events:
//   FormShowing()          from showEvent, before its own FormShow (only the first call reads);
//   FormClosing(canClose)  from closeEvent, after its own FormCloseQuery decided;
//   FormDestroying()       first thing in its destructor, while every control still exists.
// Errors in the hooks are passed to the error handler and go no further, so the window still shows
// and still closes.

#include <QRect>
#include <functional>
#include <string>

#include "settings/ini_document.h"

class QWidget;

namespace parvex {

enum TPlacementOption : unsigned { fpState = 1u << 0, fpPosition = 1u << 1 };

class TFormPlacement {
public:
    using TErrorHandler = std::function<void(const std::string& message)>;

    explicit TFormPlacement(QWidget& form);
    virtual ~TFormPlacement() = default;
    TFormPlacement(const TFormPlacement&) = delete;
    TFormPlacement& operator=(const TFormPlacement&) = delete;

    bool Active() const { return active_; }
    void SetActive(bool active) { active_ = active; }
    // Empty: "parvex.INI" in the settings folder; see SettingsFilePath.
    const std::string& IniFileName() const { return iniFileName_; }
    void SetIniFileName(std::string name) { iniFileName_ = std::move(name); }
    // Empty: the window's class name without its namespace.
    std::string IniSection() const;
    void SetIniSection(std::string section) { iniSection_ = std::move(section); }
    unsigned Options() const { return options_; }
    void SetOptions(unsigned options) { options_ = options; }
    int Version() const { return version_; }
    void SetVersion(int version) { version_ = version; }

    // Called after every successful read of the placement and the stored values.
    void SetOnRestorePlacement(std::function<void()> handler) { onRestorePlacement_ = std::move(handler); }
    // Called after every write, before the file is replaced.
    void SetOnSavePlacement(std::function<void()> handler) { onSavePlacement_ = std::move(handler); }
    // Receives the message of any error raised in the three hooks.
    void SetErrorHandler(TErrorHandler handler) { onError_ = std::move(handler); }

    // Reads the settings file and restores the window. Never fails on the file's content.
    void ReadSettings();
    // Writes the window's state into the settings file, keeping every other line of it. Does nothing
    // while Active() and nothing has been read yet, so a window that was never shown cannot overwrite
    // the settings with its design-time values. Throws TIniWriteError.
    void WriteSettings();
    // A read has been made.
    bool Restored() const { return restored_; }
    // A write has been made since the last read.
    bool Saved() const { return saved_; }

    void FormShowing();
    void FormClosing(bool canClose);
    void FormDestroying();

protected:
    // Hooks for what is kept beside the placement; run after it, in the same file.
    virtual void WriteExtra(TIniDocument& doc, const std::string& section);
    virtual void ReadExtra(const TIniDocument& doc, const std::string& section);

    QWidget& Form() const { return form_; }

private:
    void WritePlacement(TIniDocument& doc, const std::string& section) const;
    void ReadPosition(const TIniDocument& doc, const std::string& section);
    void ReadState(const TIniDocument& doc, const std::string& section);
    QRect NormalFrame() const;
    void ReportErrors(const std::function<void()>& action) const;

    QWidget& form_;
    bool active_ = true;
    std::string iniFileName_;
    std::string iniSection_;
    unsigned options_ = fpState | fpPosition;
    int version_ = 0;
    std::function<void()> onRestorePlacement_;
    std::function<void()> onSavePlacement_;
    TErrorHandler onError_;

    bool restored_ = false;
    bool saved_ = false;
    bool shown_ = false;
    bool destroying_ = false;
};

}  // namespace parvex

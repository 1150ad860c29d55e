#include "settings/form_placement.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cmath>
#include <exception>

#include "settings/ini_file.h"

namespace parvex {

namespace {

// Show states as the settings file has always numbered them.
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

QScreen* ScreenOf(const QWidget& form) {
    QScreen* screen = form.screen();
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

int PixelsPerInch(const QWidget& form) {
    const QScreen* screen = ScreenOf(form);
    return screen != nullptr ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
}

// "(WxH)" of the window's screen, or "" when there is no screen at all.
std::string ScreenSuffix(const QWidget& form) {
    const QScreen* screen = ScreenOf(form);
    if (screen == nullptr) return {};
    const QSize size = screen->geometry().size();
    return "(" + std::to_string(size.width()) + "x" + std::to_string(size.height()) + ")";
}

std::string FormatRect(const QRect& rect) {
    return std::to_string(rect.left()) + "," + std::to_string(rect.top()) + "," +
           std::to_string(rect.left() + rect.width()) + "," + std::to_string(rect.top() + rect.height());
}

// Overwrites the leading entries of `words` with the numbers of `text`, whose words are separated by
// blanks and commas; a word that is no number keeps the entry it would replace.
void ReadWords(std::string_view text, std::array<int, 4>& words) {
    std::size_t index = 0;
    while (!text.empty() && index < words.size()) {
        const auto start = text.find_first_not_of(" ,");
        if (start == std::string_view::npos) break;
        text.remove_prefix(start);
        const auto end = std::min(text.find_first_of(" ,"), text.size());
        if (const auto number = ParseIniInteger(text.substr(0, end))) words[index] = *number;
        ++index;
        text.remove_prefix(end);
    }
}

bool OnSomeScreen(const QRect& frame) {
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(frame)) return true;
    return false;
}

std::string ClassNameWithoutNamespace(const QWidget& form) {
    const std::string name = form.metaObject()->className();
    const auto colons = name.rfind("::");
    return colons == std::string::npos ? name : name.substr(colons + 2);
}

}  // namespace

TFormPlacement::TFormPlacement(QWidget& form) : form_(form) {}

std::string TFormPlacement::IniSection() const {
    return iniSection_.empty() ? ClassNameWithoutNamespace(form_) : iniSection_;
}

void TFormPlacement::ReadSettings() {
    saved_ = false;
    const TIniDocument doc = LoadIniFile(SettingsFilePath(iniFileName_));
    const std::string section = IniSection();
    if (doc.ReadInteger(section, "FormVersion", 0) >= version_) {
        if (options_ & fpPosition) ReadPosition(doc, section);
        if (options_ & fpState) ReadState(doc, section);
        ReadExtra(doc, section);
        restored_ = true;
        if (onRestorePlacement_) onRestorePlacement_();
    }
    restored_ = true;
}

void TFormPlacement::WriteSettings() {
    if (!restored_ && active_) return;
    const auto file = SettingsFilePath(iniFileName_);
    // Start from the file as it is, so keys and sections of others survive the write.
    TIniDocument doc = LoadIniFile(file);
    const std::string section = IniSection();
    doc.WriteInteger(section, "FormVersion", version_);
    WritePlacement(doc, section);
    WriteExtra(doc, section);
    if (onSavePlacement_) onSavePlacement_();
    // Set before the file is replaced: a write that fails is reported once, not again at destroy.
    saved_ = true;
    SaveIniFile(file, doc);
}

void TFormPlacement::WriteExtra(TIniDocument&, const std::string&) {}
void TFormPlacement::ReadExtra(const TIniDocument&, const std::string&) {}

QRect TFormPlacement::NormalFrame() const {
    if (form_.isMaximized() && form_.normalGeometry().isValid()) return form_.normalGeometry();
    return form_.frameGeometry();
}

void TFormPlacement::WritePlacement(TIniDocument& doc, const std::string& section) const {
    const std::string suffix = ScreenSuffix(form_);
    const int showCmd = form_.isMinimized() ? kShowMinimized : form_.isMaximized() ? kShowMaximized : kShowNormal;
    const std::string normal = FormatRect(NormalFrame());
    doc.WriteInteger(section, "Flags", 0);
    doc.WriteInteger(section, "ShowCmd", showCmd);
    doc.WriteInteger(section, "PixelsPerInch", PixelsPerInch(form_));
    doc.WriteString(section, "MinMaxPos" + suffix, "-1,-1,-1,-1");
    doc.WriteString(section, "MinMaxPos", "-1,-1,-1,-1");
    doc.WriteString(section, "NormPos" + suffix, normal);
    doc.WriteString(section, "NormPos", normal);
    doc.WriteString(section, "Visible", destroying_ ? "1" : "0");
}

void TFormPlacement::ReadPosition(const TIniDocument& doc, const std::string& section) {
    // The key of this screen size first; the plain key holds the last position of any size.
    std::string saved = doc.ReadString(section, "NormPos" + ScreenSuffix(form_), "");
    if (saved.empty()) saved = doc.ReadString(section, "NormPos", "");
    if (saved.empty()) return;
    // A number that cannot be read keeps the window where it stands: move() places the window by
    // pos(), which is not always the corner of the frame the platform reports.
    const QRect current(form_.pos(), NormalFrame().size());
    std::array<int, 4> edges{current.left(), current.top(), current.left() + current.width(),
                             current.top() + current.height()};
    ReadWords(saved, edges);
    const auto [left, top, right, bottom] = edges;
    // Positions taken at another pixel density would put the window somewhere else entirely.
    if (doc.ReadInteger(section, "PixelsPerInch", PixelsPerInch(form_)) != PixelsPerInch(form_)) return;
    const QRect frame(left, top, right - left, bottom - top);
    if (left >= right || !OnSomeScreen(frame)) return;
    form_.move(left, top);
    // A fixed-size window keeps its size; only a resizable one takes the saved one.
    if (form_.minimumSize() != form_.maximumSize()) {
        const QSize margins = form_.frameGeometry().size() - form_.size();
        form_.resize(frame.size() - margins);
    }
}

void TFormPlacement::ReadState(const TIniDocument& doc, const std::string& section) {
    const Qt::WindowStates normal = form_.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    switch (doc.ReadInteger(section, "ShowCmd", 0)) {
        case 2:
        case 6:
        case 7:
            // Minimizing before the first show would be undone by it: post it to run after the show.
            form_.setWindowState(normal);
            QMetaObject::invokeMethod(&form_, [form = &form_] { form->showMinimized(); }, Qt::QueuedConnection);
            return;
        case 3:
            form_.setWindowState(normal | Qt::WindowMaximized);
            break;
        default:
            form_.setWindowState(normal);
            break;
    }
    form_.update();
}

void TFormPlacement::ReportErrors(const std::function<void()>& action) const {
    try {
        action();
    } catch (const std::exception& error) {
        if (onError_)
            onError_(error.what());
        else
            qWarning("%s", error.what());
    }
}

void TFormPlacement::FormShowing() {
    if (shown_) return;
    shown_ = true;
    if (active_) ReportErrors([this] { ReadSettings(); });
}

void TFormPlacement::FormClosing(bool canClose) {
    if (canClose && active_) ReportErrors([this] { WriteSettings(); });
}

void TFormPlacement::FormDestroying() {
    if (!active_ || saved_) return;
    destroying_ = true;
    ReportErrors([this] { WriteSettings(); });
    destroying_ = false;
}

}  // namespace parvex

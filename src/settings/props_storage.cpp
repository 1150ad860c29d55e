#include "settings/props_storage.h"

#include <algorithm>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <QWidget>

namespace parvex {

namespace {

bool IsControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string ItemKey(int index) { return "Item" + std::to_string(index); }

std::string FromQt(const QString& text) { return text.toStdString(); }
QString ToQt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The text of a text control, or nullopt when `widget` is none.
std::optional<std::string> TextOf(QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return FromQt(edit->text());
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return FromQt(combo->currentText());
    return std::nullopt;
}

void SetText(QWidget* widget, const std::string& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->setText(ToQt(text));
    if (auto* combo = qobject_cast<QComboBox*>(widget)) combo->setCurrentText(ToQt(text));
}

QAbstractButton* CheckableButton(QWidget* widget) {
    auto* button = qobject_cast<QAbstractButton*>(widget);
    return button != nullptr && button->isCheckable() ? button : nullptr;
}

}  // namespace

std::optional<TPropName> ParsePropName(std::string_view entry) {
    const auto dot = entry.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == entry.size()) return std::nullopt;
    return TPropName{std::string(entry.substr(0, dot)), std::string(entry.substr(dot + 1))};
}

std::string TrimControls(std::string_view text) {
    while (!text.empty() && IsControl(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsControl(text.back())) text.remove_suffix(1);
    return std::string(text);
}

TPropsStorage::TPropsStorage(QWidget& form, std::string section) : form_(form), section_(std::move(section)) {}

std::string TPropsStorage::ListSection(const TPropName& name) const {
    return section_ + "." + name.component + "_" + name.property;
}

bool TPropsStorage::StoreProperty(const TPropName& name, TIniDocument& doc) const {
    auto* widget = form_.findChild<QWidget*>(QString::fromStdString(name.component));
    const std::string key = name.component + "_" + name.property;
    if (name.property == "Text") {
        const auto text = TextOf(widget);
        if (!text) return false;
        doc.WriteString(section_, key, TrimControls(*text));
        return true;
    }
    if (name.property == "Checked") {
        auto* button = CheckableButton(widget);
        if (button == nullptr) return false;
        doc.WriteString(section_, key, button->isChecked() ? "True" : "False");
        return true;
    }
    if (name.property == "Items") {
        auto* list = qobject_cast<QListWidget*>(widget);
        if (list == nullptr) return false;
        const std::string section = ListSection(name);
        doc.EraseSection(section);
        if (list->count() == 0) return true;
        doc.WriteInteger(section, "Count", list->count());
        for (int i = 0; i < list->count(); ++i) doc.WriteString(section, ItemKey(i), FromQt(list->item(i)->text()));
        return true;
    }
    return false;
}

bool TPropsStorage::LoadProperty(const TPropName& name, const TIniDocument& doc) const {
    auto* widget = form_.findChild<QWidget*>(QString::fromStdString(name.component));
    const std::string key = name.component + "_" + name.property;
    if (name.property == "Text") {
        if (!TextOf(widget)) return false;
        if (const auto value = doc.Read(section_, key)) SetText(widget, TrimControls(*value));
        return true;
    }
    if (name.property == "Checked") {
        auto* button = CheckableButton(widget);
        if (button == nullptr) return false;
        const std::string value = doc.ReadString(section_, key, "");
        if (EqualsIgnoringCase(value, "True")) button->setChecked(true);
        if (EqualsIgnoringCase(value, "False")) button->setChecked(false);
        return true;
    }
    if (name.property == "Items") {
        auto* list = qobject_cast<QListWidget*>(widget);
        if (list == nullptr) return false;
        const std::string section = ListSection(name);
        const int count = std::min(doc.ReadInteger(section, "Count", 0), kMaxStoredListLines);
        if (count <= 0) return true;
        QStringList lines;
        lines.reserve(count);
        for (int i = 0; i < count; ++i) lines.append(ToQt(doc.ReadString(section, ItemKey(i), "")));
        list->clear();
        list->addItems(lines);
        return true;
    }
    return false;
}

}  // namespace parvex

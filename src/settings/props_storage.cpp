#include "settings/props_storage.h"

#include <algorithm>

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <QTableView>
#include <QWidget>

#include "text/text_utils.h"

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

// Any text but "True" or "False" (in any letter case) leaves the button as it is.
void LoadChecked(QAbstractButton& button, std::string_view value) {
    if (EqualsIgnoringCase(value, "True")) button.setChecked(true);
    if (EqualsIgnoringCase(value, "False")) button.setChecked(false);
}

void StoreLines(const QListWidget& list, const std::string& section, TIniDocument& doc) {
    doc.EraseSection(section);
    if (list.count() == 0) return;
    doc.WriteInteger(section, "Count", list.count());
    for (int i = 0; i < list.count(); ++i) doc.WriteString(section, ItemKey(i), FromQt(list.item(i)->text()));
}

void LoadLines(QListWidget& list, const std::string& section, const TIniDocument& doc) {
    const int count = std::min(doc.ReadInteger(section, "Count", 0), kMaxStoredListLines);
    if (count <= 0) return;
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i) lines.append(ToQt(doc.ReadString(section, ItemKey(i), "")));
    list.clear();
    list.addItems(lines);
}

// The columns of a table in the order shown: "column:width" for each, with ":hidden" after a hidden
// one ("0:160,3:90,1:100:hidden").
std::string ColumnsText(const QHeaderView& header) {
    std::string text;
    for (int place = 0; place < header.count(); ++place) {
        const int column = header.logicalIndex(place);
        if (!text.empty()) text += ',';
        // A hidden column has no width of its own in Qt: it comes back at the default width.
        const bool hidden = header.isSectionHidden(column);
        text += std::to_string(column) + ':' + std::to_string(hidden ? header.defaultSectionSize() : header.sectionSize(column));
        if (hidden) text += ":hidden";
    }
    return text;
}

// Puts the columns named in `text` in its order, widths and visibility; entries that are not of a
// column of the table, or not numbers, are passed over. The first column (the file) is never hidden.
void LoadColumns(QHeaderView& header, std::string_view text) {
    int place = 0;
    for (int n = 1; n <= CountFields(text, ","); ++n) {
        const std::string entry = NthField(text, ",", n);
        const auto column = ParseIniInteger(NthField(entry, ":", 1));
        const auto width = ParseIniInteger(NthField(entry, ":", 2));
        if (!column || !width || *column < 0 || *column >= header.count() || *width <= 0) continue;
        header.moveSection(header.visualIndex(*column), std::min(place++, header.count() - 1));
        header.setSectionHidden(*column, false);
        header.resizeSection(*column, std::min(*width, 4000));
        header.setSectionHidden(*column, *column != 0 && NthField(entry, ":", 3) == "hidden");
    }
}

}  // namespace

std::optional<TPropName> ParsePropName(std::string_view entry) {
    const auto dot = entry.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == entry.size()) return std::nullopt;
    return TPropName{std::string(entry.substr(0, dot)), std::string(entry.substr(dot + 1))};
}

std::string EncodeWholeText(std::string_view text) {
    const bool blankAtAnEnd = !text.empty() && (IsControl(text.front()) || IsControl(text.back()));
    const bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
    return blankAtAnEnd || quoted ? "\"" + std::string(text) + "\"" : std::string(text);
}

std::string DecodeWholeText(std::string_view stored) {
    if (stored.size() < 2 || stored.front() != '"' || stored.back() != '"') return std::string(stored);
    const std::string_view inner = stored.substr(1, stored.size() - 2);
    // Only what EncodeWholeText quoted is unquoted: a value written by hand as ""x"" stays "x".
    return EncodeWholeText(inner) == stored ? std::string(inner) : std::string(stored);
}

TPropsStorage::TPropsStorage(QWidget& form, std::string section, const std::vector<std::string>& wholeTexts)
    : form_(form), section_(std::move(section)), wholeTexts_(wholeTexts) {}

bool TPropsStorage::KeptWhole(const TPropName& name) const {
    return std::find(wholeTexts_.begin(), wholeTexts_.end(), name.component) != wholeTexts_.end();
}

QWidget* TPropsStorage::Control(const TPropName& name) const {
    return form_.findChild<QWidget*>(QString::fromStdString(name.component));
}

std::string TPropsStorage::Key(const TPropName& name) { return name.component + "_" + name.property; }

std::string TPropsStorage::ListSection(const TPropName& name) const { return section_ + "." + Key(name); }

bool TPropsStorage::StoreProperty(const TPropName& name, TIniDocument& doc) const {
    QWidget* control = Control(name);
    if (name.property == "Text") {
        const auto text = TextOf(control);
        if (text)
            doc.WriteString(section_, Key(name),
                            KeptWhole(name) ? EncodeWholeText(*text) : std::string(TrimControls(*text)));
        return text.has_value();
    }
    if (name.property == "Checked") {
        const QAbstractButton* button = CheckableButton(control);
        if (button != nullptr) doc.WriteString(section_, Key(name), button->isChecked() ? "True" : "False");
        return button != nullptr;
    }
    if (name.property == "Items") {
        const auto* list = qobject_cast<QListWidget*>(control);
        if (list != nullptr) StoreLines(*list, ListSection(name), doc);
        return list != nullptr;
    }
    if (name.property == "Columns") {
        const auto* table = qobject_cast<QTableView*>(control);
        if (table != nullptr) doc.WriteString(section_, Key(name), ColumnsText(*table->horizontalHeader()));
        return table != nullptr;
    }
    return false;
}

bool TPropsStorage::LoadProperty(const TPropName& name, const TIniDocument& doc) const {
    QWidget* control = Control(name);
    if (name.property == "Text") {
        if (!TextOf(control)) return false;
        if (const auto value = doc.Read(section_, Key(name)))
            SetText(control, KeptWhole(name) ? DecodeWholeText(*value) : std::string(TrimControls(*value)));
        return true;
    }
    if (name.property == "Checked") {
        QAbstractButton* button = CheckableButton(control);
        if (button != nullptr) LoadChecked(*button, doc.ReadString(section_, Key(name), ""));
        return button != nullptr;
    }
    if (name.property == "Items") {
        auto* list = qobject_cast<QListWidget*>(control);
        if (list != nullptr) LoadLines(*list, ListSection(name), doc);
        return list != nullptr;
    }
    if (name.property == "Columns") {
        auto* table = qobject_cast<QTableView*>(control);
        if (table != nullptr) LoadColumns(*table->horizontalHeader(), doc.ReadString(section_, Key(name), ""));
        return table != nullptr;
    }
    return false;
}

}  // namespace parvex

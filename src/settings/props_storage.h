#pragma once
// Stores single control properties of a form in an INI document.
//
// A property is named "Component.Property": the component is found among the form's children by its
// objectName. Four kinds are kept, each with its own encoding:
//   Text     QLineEdit::text, or QComboBox::currentText
//            key "<Component>_Text" in the form's section; written with blanks and control characters
//            cut from both ends; read the same way and set with setText / setCurrentText, which emit
//            QLineEdit::textChanged / QComboBox::currentTextChanged (and editTextChanged). The texts
//            of the components named as kept whole keep their blanks instead (EncodeWholeText).
//   Checked  QAbstractButton::isChecked (check boxes, radio buttons)
//            key "<Component>_Checked": "True" or "False"; read without regard to letter case, any
//            other text leaves the button alone; set with setChecked, which emits toggled(bool) when
//            the state changes, disabled buttons included.
//   Items    QListWidget items
//            section "<form section>.<Component>_Items" with "Count" and "Item0".."Item<Count-1>";
//            an empty list leaves no section; a Count that is missing, unreadable or not above 0
//            leaves the list as it is, otherwise the list is replaced (a missing item reads as "").
//   Columns  QTableView's columns: order, widths and the hidden ones
//            key "<Component>_Columns": "column:width" in the order shown, ":hidden" after a hidden
//            column ("0:160,3:90,1:100:hidden"); entries it cannot use are passed over, and the
//            first column is never hidden.
// A missing key leaves the control as it is.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_document.h"

class QWidget;

namespace parvex {

// Most lines a stored list is read with; a larger Count in a damaged file is cut to this.
inline constexpr int kMaxStoredListLines = 65536;

// One "Component.Property" entry split at its first ".".
struct TPropName {
    std::string component;
    std::string property;
};

// Splits an entry; nullopt when it has no "." with a name on both sides.
std::optional<TPropName> ParsePropName(std::string_view entry);

// A text kept whole as the settings file stores it: enclosed in double quotes when it has blanks or
// control characters at an end, or when it is itself enclosed in double quotes; otherwise as it is,
// so a plain value reads back the same with or without this encoding (and files written before it
// read as they always did).
std::string EncodeWholeText(std::string_view text);
// The reverse, applied to the value as the settings file reads it.
std::string DecodeWholeText(std::string_view stored);

class TPropsStorage {
public:
    // Works on the controls of `form` inside `section` of a document passed to each call; the texts
    // of the components named in `wholeTexts` keep blanks at their ends.
    TPropsStorage(QWidget& form, std::string section, const std::vector<std::string>& wholeTexts = {});

    // Write or read one property. Return false when the component is not on the form or does not
    // have the property (the entry is skipped).
    bool StoreProperty(const TPropName& name, TIniDocument& doc) const;
    bool LoadProperty(const TPropName& name, const TIniDocument& doc) const;

private:
    QWidget* Control(const TPropName& name) const;
    static std::string Key(const TPropName& name);
    std::string ListSection(const TPropName& name) const;

    bool KeptWhole(const TPropName& name) const;

    QWidget& form_;
    std::string section_;
    const std::vector<std::string>& wholeTexts_;
};

}  // namespace parvex

#pragma once
// Keeps the state of a window's controls in the settings file, beside the window's placement.
//
// Each stored entry is "Component.Property" (see TPropsStorage for the kinds and their encodings);
// entries are written and read in their order, after the placement. Restoring a value goes through
// the control's own setter, so the handlers the window connected run as they do for the user:
//   QLineEdit        textChanged
//   QComboBox        currentTextChanged (editable: editTextChanged too)
//   QCheckBox, QRadioButton   toggled(bool), only when the state changes
//   QListWidget      no dedicated signal (its items are replaced)
// Connect a control's change or click handler to that signal; clicked() does not fire on a restore.
//
// The window's separator edits are quoted before the write and unquoted after the read, so blanks at
// their ends survive the trimming of stored texts: QuoteSeparatorText in the window's close handler,
// UnquoteSeparatorText in its restore handler.

#include <string>
#include <string_view>
#include <vector>

#include "settings/form_placement.h"
#include "settings/props_storage.h"

class QLineEdit;

namespace parvex {

class TFormStorage : public TFormPlacement {
public:
    // Entries without a "." with a name on both sides are dropped; entries naming a control the form
    // does not have, or a property that control lacks, are skipped at each read and write.
    // The texts of the components named in `wholeTexts` keep blanks at their ends (see
    // EncodeWholeText).
    TFormStorage(QWidget& form, const std::vector<std::string>& storedProps,
                 std::vector<std::string> wholeTexts = {});

    const std::vector<TPropName>& StoredProps() const { return storedProps_; }

protected:
    void WriteExtra(TIniDocument& doc, const std::string& section) override;
    void ReadExtra(const TIniDocument& doc, const std::string& section) override;

private:
    std::vector<TPropName> storedProps_;
    std::vector<std::string> wholeTexts_;
};

// The 143 entries the main window keeps, in the order they are written and read.
const std::vector<std::string>& MainWindowStoredProps();
// The main window's texts that keep blanks at their ends: the value boxes of the Mass page, where
// "The " put in front of "Band" must stay "The ".
const std::vector<std::string>& MainWindowWholeTexts();

// The text enclosed in double quotes.
std::string QuoteSeparator(std::string_view text);
// The text without its first and last character when both are double quotes; any other text is
// returned as it is, so a value edited by hand is not cut.
std::string UnquoteSeparator(std::string_view text);

// The same on the text of an edit; setting it runs the edit's textChanged handlers.
void QuoteSeparatorText(QLineEdit& edit);
void UnquoteSeparatorText(QLineEdit& edit);

}  // namespace parvex

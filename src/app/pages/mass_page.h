#pragma once
// The "Mass set tags" page: fourteen rows of check box, value and Prepend / Overwrite / Append
// buttons, the other tags with their own buttons, the picture row, "Recurse subdirs" and "Tag".

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <array>
#include <optional>
#include <vector>

#include "app/pages/batch_page.h"
#include "app/pages/other_tags.h"
#include "batch/mass_tag.h"
#include "batch/tag_fields.h"
#include "ogg/picture.h"

namespace parvex {

class TMassPage : public TBatchPage {
    Q_OBJECT

public:
    TMassPage(TPageContext& context, QWidget* parent);

    // The controls of the row of `field`: its check box, its value box (null for the genre row,
    // whose value box is genreBox), the panel of its mode buttons and the button of `mode`.
    QCheckBox* RowCheck(TTagField field) const;
    QLineEdit* RowEdit(TTagField field) const;
    QFrame* ModePanel(TTagField field) const;
    QRadioButton* ModeButton(TTagField field, TMassMode mode) const;

    // Puts `value` into the value box of `field`'s row (the Browse page's "->" buttons).
    void SetRowValue(TTagField field, const QString& value);
    // Makes `lines` the other tags to set (the Browse page's "->" of its other tags).
    void SetOtherTagLines(const std::vector<std::string>& lines);

    // With the picture row set to "Set", reads the chosen picture; without a usable one says why.
    bool ReadyToRun() override;
    // The page's rows applied to each file (see PlanMassTag).
    TBatchOrder Order() override;

    QComboBox* genreBox = nullptr;
    QCheckBox* otherTagsCheck = nullptr;
    QFrame* otherModePanel = nullptr;
    std::array<QRadioButton*, 3> otherModeButtons{};  // Prepend, Overwrite, Append
    QListWidget* otherTagsList = nullptr;
    QLabel* modeLegend = nullptr;  // names the mode buttons, which are too narrow for captions
    QPushButton* addOtherTagButton = nullptr;
    QPushButton* removeOtherTagButton = nullptr;
    // The picture row: set the front cover or remove every picture.
    QCheckBox* pictureCheck = nullptr;
    QWidget* picturePanel = nullptr;
    QRadioButton* setPictureRadio = nullptr;
    QRadioButton* removePictureRadio = nullptr;
    QLineEdit* pictureFileEdit = nullptr;
    QPushButton* pictureFileButton = nullptr;

protected:
    // "Tag" needs a checked row.
    bool CanRun() const override;

private:
    struct TRow {
        TTagField field;
        QCheckBox* check;
        QLineEdit* edit;  // null for the genre row
        QFrame* panel;
        std::array<QRadioButton*, 3> modes;  // Prepend, Overwrite, Append
    };

    void CreateModeLegend();
    void CreatePictureRow();
    const TRow* RowOf(TTagField field) const;
    QWidget* ValueBox(const TRow& row) const;
    QString RowText(const TRow& row) const;
    void SetTabOrder();
    // "..." of the picture row: chooses the picture to set.
    void choosePictureFile();

    std::vector<TRow> rows_;
    std::optional<TOtherTagsList> otherTags_;
    std::optional<TPicture> picture_;  // the picture a run sets, read as it starts
};

}  // namespace parvex

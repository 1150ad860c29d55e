#pragma once
// The "Clear tags" page: one box per tag to remove, "Other tags", "Remove all tags", "Recurse
// subdirs" and "Clear".

#include <QCheckBox>
#include <QLabel>
#include <vector>

#include "app/pages/batch_page.h"
#include "batch/tag_fields.h"

namespace parvex {

class TClearPage : public TBatchPage {
    Q_OBJECT

public:
    TClearPage(TPageContext& context, QWidget* parent);

    // The box that removes `field`.
    QCheckBox* FieldCheck(TTagField field) const;

    TBatchOrder Order() override;

    QLabel* hintLabel = nullptr;
    QCheckBox* otherTagsCheck = nullptr;
    QCheckBox* removeAllCheck = nullptr;

protected:
    // "Clear" needs a checked box.
    bool CanRun() const override;

private:
    // A box changed: "Clear" follows, and "Remove all tags" grays the others without changing their
    // marks.
    void onBoxToggled();
    std::vector<QCheckBox*> AllBoxes() const;

    struct TFieldBox {
        TTagField field;
        QCheckBox* box;
    };
    std::vector<TFieldBox> fieldBoxes_;
};

}  // namespace parvex

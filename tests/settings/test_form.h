#pragma once
// A small window shaped like the main window where its settings are concerned: controls of every
// stored kind, named like the real ones, with handlers that depend on one another the same way, and
// the show / close / destroy wiring of the settings component.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "settings/form_storage.h"

namespace parvex::test {

class TForm1 : public QWidget {
    Q_OBJECT

public:
    TForm1();
    ~TForm1() override;

    // Working folder; every change "lists" the folder.
    QLineEdit* Edit4;
    std::vector<std::string> listedFolders;

    // Mass tag page: a row with its mode buttons, the Other tags row, the genre combo box.
    QCheckBox* CheckBox9;
    QLineEdit* Edit10;
    QRadioButton *artist_a, *artist_o, *artist_p;
    QCheckBox* CheckBox16;
    QRadioButton *other_a, *other_o, *other_p;
    QListWidget* ListBox2;
    QComboBox* edit15;
    QPushButton* BitBtn3;
    QCheckBox* CheckBox39;  // "Recurse subdirs": not kept

    // Clear tags page: "Remove all tags" grays the other boxes.
    QCheckBox *CheckBox1, *CheckBox8, *clrVersion;
    QPushButton* BitBtn2;

    // Tag based on filename page: field boxes feed the order list, which with the separator builds
    // the format text.
    QCheckBox *CheckBox30, *CheckBox31;
    QListWidget* ListBox5;
    QLineEdit *Edit20, *Edit21, *Edit9;
    QListWidget* ListBox3;  // sorted word list

    // Rename and list pages: the other separators, the list format's order list.
    QLineEdit *edtFieldSep, *Edit19, *Edit22;
    QListWidget* ListBox7;

    TFormStorage FormStorage1;
    int restoreCalls = 0;
    std::vector<std::string> errors;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CheckBox9Click();
    void CheckBox1Click();
    void CheckBox30Click(QCheckBox* box, bool checked);
    void BuildTagFormat();
    void FormCloseQuery();
    void FormStorage1RestorePlacement();
    std::vector<QLineEdit*> Separators() const;
};

}  // namespace parvex::test

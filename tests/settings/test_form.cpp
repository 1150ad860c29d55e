#include "test_form.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace parvex::test {

namespace {

template <typename T>
T* Make(QWidget* parent, const char* name, const QString& caption = {}) {
    auto* widget = new T(parent);
    widget->setObjectName(name);
    if constexpr (std::is_base_of_v<QAbstractButton, T>) widget->setText(caption);
    parent->layout()->addWidget(widget);
    return widget;
}

// A panel of three mode buttons: exclusive among themselves, like the real rows.
QWidget* Panel(QWidget* parent, const char* name) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(name);
    panel->setLayout(new QVBoxLayout);
    parent->layout()->addWidget(panel);
    return panel;
}

}  // namespace

TForm1::TForm1() : FormStorage1(*this, MainWindowStoredProps()) {
    setLayout(new QVBoxLayout);
    Edit4 = Make<QLineEdit>(this, "Edit4");
    Edit4->setReadOnly(true);

    CheckBox9 = Make<QCheckBox>(this, "CheckBox9", "Artist");
    Edit10 = Make<QLineEdit>(this, "Edit10");
    QWidget* panel1 = Panel(this, "Panel1");
    artist_a = Make<QRadioButton>(panel1, "artist_a");
    artist_o = Make<QRadioButton>(panel1, "artist_o");
    artist_p = Make<QRadioButton>(panel1, "artist_p");
    artist_o->setChecked(true);
    CheckBox16 = Make<QCheckBox>(this, "CheckBox16", "Other tags");
    QWidget* panel8 = Panel(this, "Panel8");
    other_a = Make<QRadioButton>(panel8, "other_a");
    other_o = Make<QRadioButton>(panel8, "other_o");
    other_p = Make<QRadioButton>(panel8, "other_p");
    other_a->setEnabled(false);
    other_o->setChecked(true);
    ListBox2 = Make<QListWidget>(this, "ListBox2");
    edit15 = Make<QComboBox>(this, "edit15");
    edit15->setEditable(true);
    edit15->addItems({"Blues", "Jazz+Funk", "Rock"});
    edit15->setCurrentText("");
    BitBtn3 = Make<QPushButton>(this, "BitBtn3", "Tag");
    BitBtn3->setEnabled(false);
    CheckBox39 = Make<QCheckBox>(this, "CheckBox39", "Recurse subdirs");

    CheckBox1 = Make<QCheckBox>(this, "CheckBox1", "Artist");
    CheckBox8 = Make<QCheckBox>(this, "CheckBox8", "Remove all tags");
    clrVersion = Make<QCheckBox>(this, "clrVersion", "Version");
    BitBtn2 = Make<QPushButton>(this, "BitBtn2", "Clear");
    BitBtn2->setEnabled(false);

    CheckBox30 = Make<QCheckBox>(this, "CheckBox30", "Artist");
    CheckBox31 = Make<QCheckBox>(this, "CheckBox31", "Title");
    ListBox5 = Make<QListWidget>(this, "ListBox5");
    Edit20 = Make<QLineEdit>(this, "Edit20");
    Edit21 = Make<QLineEdit>(this, "Edit21");
    Edit21->setReadOnly(true);
    Edit9 = Make<QLineEdit>(this, "Edit9");
    ListBox3 = Make<QListWidget>(this, "ListBox3");
    ListBox3->setSortingEnabled(true);

    edtFieldSep = Make<QLineEdit>(this, "edtFieldSep");
    Edit19 = Make<QLineEdit>(this, "Edit19");
    Edit22 = Make<QLineEdit>(this, "Edit22");
    ListBox7 = Make<QListWidget>(this, "ListBox7");
    ListBox7->addItem("Target file");

    connect(Edit4, &QLineEdit::textChanged, this, [this](const QString& text) {
        listedFolders.push_back(text.toStdString());
    });
    for (QCheckBox* box : {CheckBox9, CheckBox16}) connect(box, &QCheckBox::toggled, this, &TForm1::CheckBox9Click);
    for (QCheckBox* box : {CheckBox1, CheckBox8, clrVersion})
        connect(box, &QCheckBox::toggled, this, &TForm1::CheckBox1Click);
    for (QCheckBox* box : {CheckBox30, CheckBox31})
        connect(box, &QCheckBox::toggled, this, [this, box](bool checked) { CheckBox30Click(box, checked); });
    connect(Edit20, &QLineEdit::textChanged, this, &TForm1::BuildTagFormat);

    FormStorage1.SetOnRestorePlacement([this] { FormStorage1RestorePlacement(); });
    FormStorage1.SetErrorHandler([this](const std::string& message) { errors.push_back(message); });
}

TForm1::~TForm1() { FormStorage1.FormDestroying(); }

void TForm1::showEvent(QShowEvent* event) {
    FormStorage1.FormShowing();
    QWidget::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    FormStorage1.FormClosing(true);
    event->accept();
}

void TForm1::CheckBox9Click() { BitBtn3->setEnabled(CheckBox9->isChecked() || CheckBox16->isChecked()); }

void TForm1::CheckBox1Click() {
    BitBtn2->setEnabled(CheckBox1->isChecked() || CheckBox8->isChecked() || clrVersion->isChecked());
    for (QCheckBox* box : {CheckBox1, clrVersion}) box->setEnabled(!CheckBox8->isChecked());
}

void TForm1::CheckBox30Click(QCheckBox* box, bool checked) {
    if (checked)
        ListBox5->addItem(box->text());
    else
        delete ListBox5->findItems(box->text(), Qt::MatchExactly).value(0);
    BuildTagFormat();
}

void TForm1::BuildTagFormat() {
    QString format;
    for (int i = 0; i < ListBox5->count(); ++i)
        format += (format.isEmpty() ? "" : Edit20->text()) + "<" + ListBox5->item(i)->text() + ">";
    Edit21->setText(format);
}

std::vector<QLineEdit*> TForm1::Separators() const { return {edtFieldSep, Edit20, Edit9, Edit19, Edit22}; }

void TForm1::FormCloseQuery() {
    for (QLineEdit* edit : Separators()) QuoteSeparatorText(*edit);
}

void TForm1::FormStorage1RestorePlacement() {
    ++restoreCalls;
    for (QLineEdit* edit : Separators()) UnquoteSeparatorText(*edit);
}

}  // namespace parvex::test

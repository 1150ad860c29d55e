#include "settings/form_storage.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <memory>
#include <sstream>

#include "settings/ini_file.h"
#include "settings_env.h"

namespace parvex {
namespace {

std::vector<std::string> Lines(const QListWidget* list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list->count(); ++i) lines.push_back(list->item(i)->text().toStdString());
    return lines;
}

class FormStorageTest : public ::testing::Test {
protected:
    test::TTempConfig config_;
};

// The restore handler follows every read of a file the window may use, also of none at all, and
// not a file of a newer version, which is not read.
TEST_F(FormStorageTest, TheRestoreHandlerRunsAfterEachUsableRead) {
    QWidget form;
    auto* edit = new QLineEdit(&form);
    edit->setObjectName("Edit10");
    TFormStorage storage(form, {"Edit10.Text"});
    int restores = 0;
    storage.SetOnRestorePlacement([&restores] { ++restores; });
    storage.ReadSettings();
    EXPECT_EQ(restores, 1);
    config_.WriteIni("[QWidget]\nFormVersion=-1\nEdit10_Text=x\n");
    storage.ReadSettings();
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(edit->text(), "");
    EXPECT_TRUE(storage.Restored()) << "a close still writes";
}

// A window holding every control the main window keeps, each of the kind its property names.
std::unique_ptr<QWidget> FullForm() {
    auto form = std::make_unique<QWidget>();
    for (const auto& entry : MainWindowStoredProps()) {
        const auto name = *ParsePropName(entry);
        QWidget* control = nullptr;
        if (name.property == "Text")
            control = new QLineEdit(form.get());
        else if (name.property == "Checked")
            control = new QCheckBox(form.get());
        else
            control = new QListWidget(form.get());
        control->setObjectName(QString::fromStdString(name.component));
    }
    return form;
}

TEST_F(FormStorageTest, AllStoredEntriesRoundTripInTheirOrder) {
    ASSERT_EQ(MainWindowStoredProps().size(), 143u);
    auto form = FullForm();
    TFormStorage storage(*form, MainWindowStoredProps());
    storage.SetIniSection("TForm1");
    ASSERT_EQ(storage.StoredProps().size(), 143u);
    storage.ReadSettings();
    int i = 0;
    for (auto* edit : form->findChildren<QLineEdit*>()) edit->setText(QString("text %1").arg(++i));
    for (auto* box : form->findChildren<QCheckBox*>()) box->setChecked(++i % 2 == 0);
    for (auto* list : form->findChildren<QListWidget*>()) list->addItems({QString::number(++i), "second"});
    storage.WriteSettings();

    // Keys of the window's section come in the order of the entries, after the placement.
    std::vector<std::string> expectedKeys;
    for (const auto& name : storage.StoredProps())
        if (name.property != "Items") expectedKeys.push_back(name.component + "_" + name.property);
    std::vector<std::string> keys;
    std::istringstream lines(config_.ReadIni());
    for (std::string line; std::getline(lines, line);) {
        const auto key = line.substr(0, line.find('='));
        if (key.find('_') != std::string::npos && line.find('=') != std::string::npos) keys.push_back(key);
    }
    EXPECT_EQ(keys, expectedKeys);

    auto restored = FullForm();
    TFormStorage reader(*restored, MainWindowStoredProps());
    reader.SetIniSection("TForm1");
    reader.ReadSettings();
    for (const auto& name : reader.StoredProps()) {
        const QString component = QString::fromStdString(name.component);
        const auto* before = form->findChild<QWidget*>(component);
        const auto* after = restored->findChild<QWidget*>(component);
        if (auto* edit = qobject_cast<const QLineEdit*>(before))
            EXPECT_EQ(edit->text(), qobject_cast<const QLineEdit*>(after)->text()) << name.component;
        else if (auto* box = qobject_cast<const QCheckBox*>(before))
            EXPECT_EQ(box->isChecked(), qobject_cast<const QCheckBox*>(after)->isChecked()) << name.component;
        else
            EXPECT_EQ(Lines(qobject_cast<const QListWidget*>(before)), Lines(qobject_cast<const QListWidget*>(after)))
                << name.component;
    }
}

TEST_F(FormStorageTest, EntriesWithoutAControlOrPropertyAreSkipped) {
    QWidget form;
    auto* edit = new QLineEdit(&form);
    edit->setObjectName("Edit4");
    edit->setText("x");
    TFormStorage storage(form, {"Edit4.Text", "NoDot", ".Text", "Edit4.", "Missing.Text", "Edit4.Caption",
                                "Edit4.Checked", "Edit4.Items"});
    EXPECT_EQ(storage.StoredProps().size(), 5u);
    storage.SetActive(false);  // writes without a read first
    storage.WriteSettings();
    const std::string ini = config_.ReadIni();
    EXPECT_NE(ini.find("Edit4_Text=x\n"), std::string::npos);
    EXPECT_EQ(ini.find("Missing"), std::string::npos);
    EXPECT_EQ(ini.find("Caption"), std::string::npos);
    EXPECT_EQ(ini.find("Edit4_Checked"), std::string::npos);
    EXPECT_EQ(ini.find("Edit4_Items"), std::string::npos);
    EXPECT_NE(ini.find("[QWidget]"), std::string::npos);  // default section: the class name
}

TEST(SeparatorQuotes, OnlyAFullPairIsTakenOff) {
    EXPECT_EQ(QuoteSeparator(" - "), "\" - \"");
    EXPECT_EQ(UnquoteSeparator("\" - \""), " - ");
    EXPECT_EQ(UnquoteSeparator("\"\""), "");
    for (const char* kept : {"", "_", "\"", "\"x", "x\"", "ab"}) EXPECT_EQ(UnquoteSeparator(kept), kept);
}

}  // namespace
}  // namespace parvex

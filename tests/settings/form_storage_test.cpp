#include "settings/form_storage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <fstream>
#include <memory>
#include <sstream>

#include "settings/ini_file.h"
#include "settings_env.h"
#include "test_form.h"

namespace parvex {
namespace {

using test::TForm1;

std::vector<std::string> Lines(const QListWidget* list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list->count(); ++i) lines.push_back(list->item(i)->text().toStdString());
    return lines;
}

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

void Click(QAbstractButton* button) {
    // On the indicator: a click in the middle of a stretched box may miss its label.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

std::string ScreenSuffix() {
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    return "(" + std::to_string(size.width()) + "x" + std::to_string(size.height()) + ")";
}

int PixelsPerInch() { return qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()); }

class FormStorageTest : public ::testing::Test {
protected:
    // The program's start: the window is created and shown, which reads the settings.
    static std::unique_ptr<TForm1> Start(QPoint designed = {40, 30}) {
        auto form = std::make_unique<TForm1>();
        form->move(designed);
        form->show();
        QApplication::processEvents();
        return form;
    }
    // The user closes the program: the separators are quoted, the settings written, the window freed.
    static void Quit(std::unique_ptr<TForm1> form) {
        form->close();
        form.reset();
    }

    test::TTempConfig config_;
};

TEST_F(FormStorageTest, FirstStartKeepsDesignValuesAndTheCloseWritesThem) {
    auto form = Start();
    EXPECT_EQ(form->restoreCalls, 1);
    EXPECT_TRUE(form->listedFolders.empty());
    EXPECT_EQ(Lines(form->ListBox7), std::vector<std::string>{"Target file"});
    for (const QLineEdit* separator : {form->edtFieldSep, form->Edit20, form->Edit9, form->Edit19, form->Edit22})
        EXPECT_EQ(Text(separator), "");
    EXPECT_FALSE(std::filesystem::exists(config_.IniPath()));  // reading creates nothing
    EXPECT_EQ(form->pos(), QPoint(40, 30));
    Quit(std::move(form));

    const auto doc = LoadIniFile(config_.IniPath());
    EXPECT_EQ(doc.Read("TForm1", "FormVersion"), "0");
    EXPECT_EQ(doc.Read("TForm1", "edtFieldSep_Text"), "\"\"");
    EXPECT_EQ(doc.Read("TForm1.ListBox7_Items", "Item0"), "Target file");
    EXPECT_EQ(doc.Read("TForm1", "CheckBox39_Checked"), std::nullopt);  // "Recurse subdirs" is not kept
}

TEST_F(FormStorageTest, EveryKindOfControlSurvivesARestart) {
    auto first = Start();
    first->Edit4->setText("/music/");
    QTest::keyClicks(first->Edit10, "The Band");
    Click(first->CheckBox9);
    Click(first->artist_a);
    Click(first->CheckBox16);
    Click(first->other_p);
    QTest::keyClicks(first->edit15->lineEdit(), "My genre");
    first->ListBox2->addItems({"MOOD=calm", "  PADDED=x  "});
    Click(first->CheckBox30);
    Click(first->CheckBox31);
    first->ListBox5->insertItem(0, first->ListBox5->takeItem(1));  // Title before Artist
    QTest::keyClicks(first->Edit20, " - ");
    QTest::keyClicks(first->edtFieldSep, " - ");
    QTest::keyClicks(first->Edit22, ";");
    QTest::keyClicks(first->Edit9, "_");
    first->ListBox7->addItem("TRASH");
    first->ListBox3->addItems({"the", "of"});
    Click(first->CheckBox39);
    Click(first->CheckBox1);
    ASSERT_EQ(Text(first->Edit21), "<Title> - <Artist>");
    Quit(std::move(first));

    const std::string ini = config_.ReadIni();
    EXPECT_NE(ini.find("\nedtFieldSep_Text=\"\" - \"\"\n"), std::string::npos) << ini;

    auto form = Start();
    EXPECT_TRUE(form->errors.empty());
    EXPECT_EQ(form->listedFolders, std::vector<std::string>{"/music/"});
    EXPECT_EQ(Text(form->Edit10), "The Band");
    EXPECT_TRUE(form->CheckBox9->isChecked());
    EXPECT_TRUE(form->BitBtn3->isEnabled());
    EXPECT_TRUE(form->artist_a->isChecked());
    EXPECT_FALSE(form->artist_o->isChecked());
    EXPECT_TRUE(form->other_p->isChecked());
    EXPECT_EQ(form->edit15->currentText().toStdString(), "My genre");
    EXPECT_EQ(Lines(form->ListBox2), (std::vector<std::string>{"MOOD=calm", "PADDED=x"}));
    // The restored field boxes appended to the order list; the restored list then replaced it.
    EXPECT_EQ(Lines(form->ListBox5), (std::vector<std::string>{"Title", "Artist"}));
    EXPECT_EQ(Text(form->Edit20), " - ");
    EXPECT_EQ(Text(form->Edit21), "<Title> - <Artist>");
    EXPECT_EQ(Text(form->edtFieldSep), " - ");
    EXPECT_EQ(Text(form->Edit22), ";");
    EXPECT_EQ(Text(form->Edit9), "_");
    EXPECT_EQ(Text(form->Edit19), "");
    EXPECT_EQ(Lines(form->ListBox7), (std::vector<std::string>{"Target file", "TRASH"}));
    EXPECT_EQ(Lines(form->ListBox3), (std::vector<std::string>{"of", "the"}));
    EXPECT_FALSE(form->CheckBox39->isChecked());
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_TRUE(form->BitBtn2->isEnabled());
}

TEST_F(FormStorageTest, HandWrittenQuotesAndSeparatorsWithoutQuotes) {
    config_.WriteIni(
        "[TForm1]\n"
        "Edit4_Text=  \"/my music/\"  \n"
        "Edit10_Text='Rock'\n"
        "Edit11_Text=\"\"Live\"\"\n"
        "edtFieldSep_Text=_\n"
        "Edit20_Text=\"\" - \"\"\n"
        "Edit22_Text=\" ; \"\n"
        "Edit9_Text=\"\n");
    auto form = Start();
    EXPECT_EQ(Text(form->Edit4), "/my music/");
    EXPECT_EQ(Text(form->Edit10), "Rock");
    EXPECT_EQ(Text(form->edtFieldSep), "_");  // no quotes to take off: kept whole
    EXPECT_EQ(Text(form->Edit20), " - ");
    EXPECT_EQ(Text(form->Edit22), ";");  // one pair goes in the read, the blanks with the trim
    EXPECT_EQ(Text(form->Edit9), "\"");
}

TEST_F(FormStorageTest, RestoredBooleansRunTheClickHandlers) {
    config_.WriteIni(
        "[TForm1]\n"
        "CheckBox8_Checked=True\n"
        "clrVersion_Checked=true\n"
        "CheckBox1_Checked=1\n"
        "CheckBox9_Checked=TRUE\n"
        "artist_p_Checked=tRuE\n"
        "other_o_Checked=yes\n"
        "other_a_Checked=True\n");
    auto form = Start();
    // "Remove all tags" grays the other boxes, which are still restored while grayed.
    EXPECT_TRUE(form->CheckBox8->isChecked());
    EXPECT_TRUE(form->BitBtn2->isEnabled());
    EXPECT_FALSE(form->clrVersion->isEnabled());
    EXPECT_TRUE(form->clrVersion->isChecked());
    EXPECT_FALSE(form->CheckBox1->isEnabled());
    EXPECT_FALSE(form->CheckBox1->isChecked());  // "1" is no Boolean
    EXPECT_TRUE(form->BitBtn3->isEnabled());
    EXPECT_TRUE(form->artist_p->isChecked());
    EXPECT_FALSE(form->artist_o->isChecked());
    EXPECT_TRUE(form->other_a->isChecked());  // disabled for the user, not for a restore
    EXPECT_FALSE(form->other_o->isChecked());

    QTest::mouseClick(form->CheckBox8, Qt::LeftButton, {}, QPoint(6, form->CheckBox8->height() / 2));
    EXPECT_TRUE(form->clrVersion->isEnabled());
    EXPECT_TRUE(form->clrVersion->isChecked());
}

TEST_F(FormStorageTest, AnEmptiedListLeavesNoSectionAndComesBackAsDesigned) {
    config_.WriteIni("[TForm1.ListBox7_Items]\nCount=2\nItem0=TRASH\nItem1=Target file\n");
    auto first = Start();
    ASSERT_EQ(Lines(first->ListBox7), (std::vector<std::string>{"TRASH", "Target file"}));
    first->ListBox7->clear();
    Quit(std::move(first));

    EXPECT_FALSE(LoadIniFile(config_.IniPath()).HasSection("TForm1.ListBox7_Items"));
    EXPECT_EQ(Lines(Start()->ListBox7), std::vector<std::string>{"Target file"});
}

TEST_F(FormStorageTest, MalformedContentNeverStopsTheRead) {
    config_.WriteIni(std::string(
        "\x01\xfe garbage\n[TForm1\nFormVersion=abc\nShowCmd=banana\nNormPos=left,top\n"
        "Edit10_Text=still read\nCheckBox9_Checked=maybe\n"
        "[TForm1.ListBox2_Items]\nCount=2147483647\n"
        "[TForm1.ListBox3_Items]\nCount=0x3\nItem2=b\n"
        "[TForm1.ListBox5_Items]\nCount=-4\nItem0=x\n"
        "[TForm1.ListBox7_Items]\nCount=two\nItem0=x\n"));
    auto form = Start();
    EXPECT_TRUE(form->errors.empty());
    EXPECT_EQ(form->restoreCalls, 1);
    EXPECT_EQ(Text(form->Edit10), "still read");
    EXPECT_FALSE(form->CheckBox9->isChecked());
    EXPECT_EQ(form->ListBox2->count(), kMaxStoredListLines);
    EXPECT_EQ(Lines(form->ListBox3), (std::vector<std::string>{"", "", "b"}));
    EXPECT_TRUE(Lines(form->ListBox5).empty());
    EXPECT_EQ(Lines(form->ListBox7), std::vector<std::string>{"Target file"});
    EXPECT_EQ(form->pos(), QPoint(40, 30));
    EXPECT_FALSE(form->isMinimized());
}

TEST_F(FormStorageTest, AFileFromANewerVersionIsNotRead) {
    config_.WriteIni("[TForm1]\nFormVersion=-1\nEdit10_Text=x\nedtFieldSep_Text=\"_\"\n");
    auto form = Start();
    EXPECT_EQ(Text(form->Edit10), "");
    EXPECT_EQ(Text(form->edtFieldSep), "");
    EXPECT_EQ(form->restoreCalls, 0);
    EXPECT_TRUE(form->FormStorage1.Restored());
}

TEST_F(FormStorageTest, AWindowNeverShownWritesNothing) {
    auto form = std::make_unique<TForm1>();
    form->close();
    form.reset();
    EXPECT_FALSE(std::filesystem::exists(config_.IniPath()));
}

TEST_F(FormStorageTest, DestroyWritesOnlyWhenTheCloseDidNot) {
    auto form = Start();
    form->Edit10->setText("kept");
    form.reset();  // destroyed without a close
    EXPECT_EQ(LoadIniFile(config_.IniPath()).Read("TForm1", "Visible"), "1");
    EXPECT_EQ(LoadIniFile(config_.IniPath()).Read("TForm1", "Edit10_Text"), "kept");

    form = Start();
    form->close();
    EXPECT_EQ(LoadIniFile(config_.IniPath()).Read("TForm1", "Visible"), "0");
    config_.WriteIni("[TForm1]\nEdit10_Text=by hand\n");
    form.reset();
    EXPECT_EQ(config_.ReadIni(), "[TForm1]\nEdit10_Text=by hand\n");
}

TEST_F(FormStorageTest, AFailedWriteIsReportedOnceAndTheWindowStillCloses) {
    std::ofstream(config_.Home() / "parvex") << "a file where the folder belongs";
    auto form = Start();
    EXPECT_TRUE(form->errors.empty());
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->errors, std::vector<std::string>{"Unable to write to " + config_.IniPath().string()});
    // What the destructor runs first: the failed write counts as made, so the message is not repeated.
    form->FormStorage1.FormDestroying();
    EXPECT_EQ(form->errors.size(), 1u);
}

TEST_F(FormStorageTest, PositionAndStateSurviveARestart) {
    auto first = Start({120, 80});
    const QSize frame = first->frameGeometry().size();
    Quit(std::move(first));
    const auto doc = LoadIniFile(config_.IniPath());
    const std::string normal = "120,80," + std::to_string(120 + frame.width()) + "," + std::to_string(80 + frame.height());
    EXPECT_EQ(doc.Read("TForm1", "NormPos" + ScreenSuffix()), normal);
    EXPECT_EQ(doc.Read("TForm1", "NormPos"), normal);
    EXPECT_EQ(doc.ReadInteger("TForm1", "PixelsPerInch", 0), PixelsPerInch());
    EXPECT_EQ(doc.Read("TForm1", "ShowCmd"), "1");
    EXPECT_EQ(Start({0, 0})->pos(), QPoint(120, 80));
}

TEST_F(FormStorageTest, PositionForThisScreenSizeWinsOverTheLastOneWritten) {
    const std::string ppi = "PixelsPerInch=" + std::to_string(PixelsPerInch()) + "\n";
    config_.WriteIni("[TForm1]\n" + ppi + "NormPos=10,20,300,400\nNormPos" + ScreenSuffix() + "=50, 60 ,350,460\n");
    EXPECT_EQ(Start()->pos(), QPoint(50, 60));
    config_.WriteIni("[TForm1]\n" + ppi + "NormPos(1x1)=50,60,350,460\nNormPos=10,20,300,400\n");
    EXPECT_EQ(Start()->pos(), QPoint(10, 20));
}

TEST_F(FormStorageTest, PositionIsIgnoredAtAnotherDensityOrOffEveryScreen) {
    config_.WriteIni("[TForm1]\nPixelsPerInch=" + std::to_string(PixelsPerInch() + 48) + "\nNormPos=10,20,300,400\n");
    EXPECT_EQ(Start()->pos(), QPoint(40, 30));
    config_.WriteIni("[TForm1]\nNormPos=30000,30000,30300,30400\n");
    EXPECT_EQ(Start()->pos(), QPoint(40, 30));
    config_.WriteIni("[TForm1]\nNormPos=300,20,10,400\n");  // left not before right
    EXPECT_EQ(Start()->pos(), QPoint(40, 30));
}

TEST_F(FormStorageTest, ClosedMinimizedStartsMinimized) {
    auto first = Start();
    first->showMinimized();
    QApplication::processEvents();
    Quit(std::move(first));
    EXPECT_EQ(LoadIniFile(config_.IniPath()).Read("TForm1", "ShowCmd"), "2");

    auto form = Start();
    QApplication::processEvents();
    EXPECT_TRUE(form->isMinimized());
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

TEST_F(FormStorageTest, WritingKeepsWhatOthersPutInTheFile) {
    config_.WriteIni("; by hand\n[Other]\nkeep=me\n\n[TForm1]\nEdit10_Text=old\nCustom=1\n");
    Quit(Start());
    const auto doc = LoadIniFile(config_.IniPath());
    EXPECT_EQ(doc.Read("Other", "keep"), "me");
    EXPECT_EQ(doc.Read("TForm1", "Custom"), "1");
    EXPECT_EQ(doc.Read("TForm1", "Edit10_Text"), "old");
    EXPECT_EQ(config_.ReadIni().rfind("; by hand\n[Other]\nkeep=me\n\n[TForm1]\nEdit10_Text=old\nCustom=1\n", 0), 0u);
}

TEST(SeparatorQuotes, OnlyAFullPairIsTakenOff) {
    EXPECT_EQ(QuoteSeparator(" - "), "\" - \"");
    EXPECT_EQ(UnquoteSeparator("\" - \""), " - ");
    EXPECT_EQ(UnquoteSeparator("\"\""), "");
    for (const char* kept : {"", "_", "\"", "\"x", "x\"", "ab"}) EXPECT_EQ(UnquoteSeparator(kept), kept);
}

}  // namespace
}  // namespace parvex

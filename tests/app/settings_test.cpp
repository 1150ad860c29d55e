// The window's settings through a real settings file: the program is started, set up by the user,
// closed and started again, and every page must come back as it was left, with the buttons, the
// grayed boxes, the name formats and the listed folder that follow from the restored controls.

#include <QApplication>
#include <QHeaderView>
#include <QScreen>
#include <fstream>
#include <map>
#include <sstream>

#include "page_fixture.h"
#include "settings/ini_file.h"

namespace parvex::test {
namespace {

class SettingsTest : public testing::Test {
protected:
    SettingsTest() : currentDirectory_(temp_.Path()) {}

    // The program's start: the window is created and shown, and its first show reads the settings.
    std::unique_ptr<TMainWindow> Start() {
        auto window = std::make_unique<TMainWindow>(platform_);
        window->show();
        QApplication::setActiveWindow(window.get());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QApplication::processEvents();  // a state the read posted
        return window;
    }
    // The user closes the program: the window closes, then it is freed.
    static void Quit(std::unique_ptr<TMainWindow>& window) {
        EXPECT_TRUE(window->close());
        window.reset();
    }
    std::unique_ptr<TMainWindow> Restart(std::unique_ptr<TMainWindow> window) {
        Quit(window);
        return Start();
    }

    TIniDocument SavedFile() const { return LoadIniFile(config_.IniPath()); }

    static void Click(QAbstractButton* button) {
        // On the mark: a click in the middle of a wide box may miss its caption.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    static void Type(QLineEdit* edit, const char* text) {
        edit->clear();
        QTest::keyClicks(edit, text);
    }

    TTempConfig config_;
    TempDir temp_;
    TFakePlatform platform_;

private:
    TCurrentDirectory currentDirectory_;
};

// What a control shows the user, as one text: its value and whether it is grayed.
std::string StateOf(const QWidget& control) {
    std::string state;
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control)) {
        state = '"' + edit->text().toStdString() + '"';
    } else if (const auto* combo = qobject_cast<const QComboBox*>(&control)) {
        state = '"' + combo->currentText().toStdString() + '"';
    } else if (const auto* list = qobject_cast<const QListWidget*>(&control)) {
        for (int row = 0; row < list->count(); ++row)
            state += "[" + list->item(row)->text().toStdString() + "]";
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) {
        if (button->isCheckable()) state = button->isChecked() ? "checked" : "unchecked";
    }
    return control.isEnabled() ? state : state + " grayed";
}

std::map<std::string, std::string> States(const TMainWindow& window, const std::vector<std::string>& names) {
    std::map<std::string, std::string> states;
    for (const std::string& name : names) {
        const auto* control = window.findChild<const QWidget*>(QString::fromStdString(name));
        states[name] = control ? StateOf(*control) : "missing";
    }
    return states;
}

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

QStringList Items(const QListWidget& list) {
    QStringList items;
    for (int row = 0; row < list.count(); ++row) items << list.item(row)->text();
    return items;
}

TEST_F(SettingsTest, EveryStoredEntryNamesAControlOfItsKindAndIsWritten) {
    auto window = Start();
    window->massPage->otherTagsList->addItem("MOOD=calm");  // lists are written only when they hold lines
    window->tagFromNamePage->editor->wordList->addItem("of");
    window->renamePage->editor->wordList->addItem("of");
    window->tagListPage->editor->wordList->addItem("of");
    window->tagFromNamePage->editor->fieldChecks[0]->setChecked(true);
    window->renamePage->editor->fieldChecks[0]->setChecked(true);
    ASSERT_EQ(MainWindowStoredProps().size(), 143u);
    std::vector<TPropName> entries;
    for (const std::string& entry : MainWindowStoredProps()) {
        const auto name = ParsePropName(entry);
        ASSERT_TRUE(name) << entry;
        entries.push_back(*name);
        const auto* control = window->findChild<const QWidget*>(QString::fromStdString(name->component));
        ASSERT_NE(control, nullptr) << entry;
        if (name->property == "Text") {
            EXPECT_TRUE(qobject_cast<const QLineEdit*>(control) || qobject_cast<const QComboBox*>(control))
                << entry;
        } else if (name->property == "Checked") {
            const auto* button = qobject_cast<const QAbstractButton*>(control);
            EXPECT_TRUE(button && button->isCheckable()) << entry;
        } else {
            EXPECT_EQ(name->property, "Items") << entry;
            EXPECT_TRUE(qobject_cast<const QListWidget*>(control)) << entry;
        }
    }
    Quit(window);

    const TIniDocument saved = SavedFile();
    for (const TPropName& name : entries) {
        if (name.property == "Items")
            EXPECT_EQ(saved.Read("TForm1." + name.component + "_Items", "Count"), "1") << name.component;
        else
            EXPECT_TRUE(saved.Read("TForm1", name.component + "_" + name.property)) << name.component;
    }
}

// A representative control of each kind on each page, set as the user sets it; what follows from
// them (enabled buttons, format texts) must follow again after the restart. The "Recurse subdirs"
// boxes and the active page are not kept.
TEST_F(SettingsTest, EveryPageComesBackAsItWasLeft) {
    std::filesystem::create_directories(temp_.Path() / "music");
    const std::vector<std::string> names = {"Edit4",
                                            // Mass set tags
                                            "CheckBox10", "Edit11", "title_o", "title_p", "CheckBox14",
                                            "edit15", "genre_a", "CheckBox16", "other_o", "other_p",
                                            "ListBox2", "BitBtn3",
                                            // Clear tags
                                            "clrISRC", "CheckBox3", "BitBtn2",
                                            // Tag based on filename
                                            "CheckBox27", "Edit9", "CheckBox31", "CheckBox30", "ListBox5",
                                            "Edit20", "Edit21", "CheckBox29", "ListBox3", "radTagAll",
                                            "radIgnoreTaggedFiles",
                                            // Rename based on tag
                                            "CheckBox17", "Edit19", "CheckBox22", "CheckBox20", "ListBox6",
                                            "edtFieldSep", "Edit18", "ListBox4", "chkDontRenameUntaggedFiles",
                                            // Tag from List
                                            "Edit23", "CheckBox42", "ListBox7", "Edit22", "Edit17",
                                            "CheckBox47", "ListBox8", "RadioButton1", "RadioButton2"};
    auto window = Start();
    const auto designed = States(*window, names);

    platform_.chooserAnswers.push_back((temp_.Path() / "music").string());
    QTest::mouseClick(window->folderButton, Qt::LeftButton);
    Click(window->massPage->RowCheck(TTagField::Title));
    Type(window->massPage->RowEdit(TTagField::Title), "Live");
    Click(window->massPage->ModeButton(TTagField::Title, TMassMode::Append));
    Click(window->massPage->RowCheck(TTagField::Genre));
    QTest::keyClicks(window->massPage->genreBox->lineEdit(), "Swing Time");
    Click(window->massPage->ModeButton(TTagField::Genre, TMassMode::Prepend));
    Click(window->massPage->otherTagsCheck);
    Click(window->massPage->otherModeButtons[2]);
    window->massPage->otherTagsList->addItems({"MOOD=calm", "\"QUOTED\"=x", "  PADDED=x  "});
    Click(window->clearPage->FieldCheck(TTagField::ISRC));
    Click(window->clearPage->FieldCheck(TTagField::Album));

    Click(window->tagFromNamePage->editor->replaceCheck);
    Type(window->tagFromNamePage->editor->replaceEdit, "_");
    Click(window->tagFromNamePage->editor->fieldChecks[1]);  // Title, then Artist
    Click(window->tagFromNamePage->editor->fieldChecks[0]);
    Type(window->tagFromNamePage->editor->separatorEdit, " - ");
    Click(window->tagFromNamePage->editor->caseFixCheck);
    window->tagFromNamePage->editor->wordList->addItems({"the", "'n'"});
    Click(window->tagFromNamePage->editor->overwriteRadios[2]);

    Click(window->renamePage->editor->replaceCheck);
    Type(window->renamePage->editor->replaceEdit, ".");
    Click(window->renamePage->editor->fieldChecks[2]);
    Click(window->renamePage->editor->fieldChecks[0]);
    Type(window->renamePage->editor->separatorEdit, "_");
    window->renamePage->editor->wordList->addItem("and");
    Click(window->renamePage->dontRenameUntaggedCheck);

    platform_.chooserAnswers.push_back("/lists/tags.csv");
    QTest::mouseClick(window->tagListPage->listFileButton, Qt::LeftButton);
    Click(window->tagListPage->editor->fieldChecks[2]);
    Type(window->tagListPage->editor->separatorEdit, ";");
    Click(window->tagListPage->recurseCheck);
    window->tagListPage->editor->wordList->addItem("a");
    Click(window->tagListPage->editor->overwriteRadios[1]);

    Click(window->massPage->recurseCheck);
    Click(window->clearPage->recurseCheck);
    window->SetActivePage(window->clearPage);
    auto left = States(*window, names);
    for (const std::string& name : names)
        EXPECT_NE(left.at(name), designed.at(name)) << name << " was not set";
    left["ListBox2"] = "[MOOD=calm][\"QUOTED\"=x][PADDED=x]";  // blanks around a stored line are not kept
    ASSERT_EQ(Text(window->tagFromNamePage->editor->formatEdit), "<Title> - <Artist>");

    window = Restart(std::move(window));
    EXPECT_EQ(States(*window, names), left);
    EXPECT_FALSE(window->massPage->recurseCheck->isChecked());
    EXPECT_FALSE(window->clearPage->recurseCheck->isChecked());
    EXPECT_EQ(window->pages->currentWidget(), window->browsePage);
    EXPECT_TRUE(platform_.messages.empty());
}

// The close quotes the five separators, the write adds a second pair, the read takes one pair off
// and the restore the other: blanks at the ends survive, and the formats are built from the
// unquoted texts again.
TEST_F(SettingsTest, SeparatorsKeepTheirBlanks) {
    auto window = Start();
    Click(window->tagFromNamePage->editor->fieldChecks[0]);
    Click(window->tagFromNamePage->editor->fieldChecks[1]);
    Click(window->renamePage->editor->fieldChecks[0]);
    Click(window->renamePage->editor->fieldChecks[1]);
    Click(window->tagListPage->editor->fieldChecks[1]);
    window->renamePage->editor->separatorEdit->setText(" - ");
    window->tagFromNamePage->editor->separatorEdit->setText("  ");
    window->tagFromNamePage->editor->replaceEdit->setText(" ");
    window->renamePage->editor->replaceEdit->setText("");
    window->tagListPage->editor->separatorEdit->setText(" ; ");
    ASSERT_EQ(Text(window->renamePage->editor->formatEdit), "<Artist> - <Title>");
    Quit(window);

    const std::string file = config_.ReadIni();
    EXPECT_NE(file.find("\nedtFieldSep_Text=\"\" - \"\"\n"), std::string::npos) << file;
    window = Start();
    EXPECT_EQ(Text(window->renamePage->editor->separatorEdit), " - ");
    EXPECT_EQ(Text(window->tagFromNamePage->editor->separatorEdit), "  ");
    EXPECT_EQ(Text(window->tagFromNamePage->editor->replaceEdit), " ");
    EXPECT_EQ(Text(window->renamePage->editor->replaceEdit), "");
    EXPECT_EQ(Text(window->tagListPage->editor->separatorEdit), " ; ");
    EXPECT_EQ(Text(window->renamePage->editor->formatEdit), "<Artist> - <Title>");
    EXPECT_EQ(Text(window->tagFromNamePage->editor->formatEdit), "<Artist>  <Title>");
    EXPECT_EQ(Text(window->tagListPage->editor->formatEdit), "<Target file> ; <Title>");
}

// The value boxes of the Mass page keep blanks at their ends: "The " put in front after a restart
// still gives "The Band", not "TheBand". Values without such blanks are written as before, so files
// of earlier versions and files written by hand read as they always did.
TEST_F(SettingsTest, MassValuesKeepTheirBlanks) {
    auto window = Start();
    using enum TTagField;
    const std::pair<TTagField, QString> values[] = {
        {Artist, "The "},       {Title, " (Live)"},      {Comment, "  two  "},    {ISRC, "\"quoted\""},
        {Version, "\" spaced\" "}, {Copyright, "plain"}, {Track, "\""},
    };
    const auto edit = [&window](TTagField field) { return window->massPage->RowEdit(field); };
    for (const auto& [field, text] : values) edit(field)->setText(text);
    window->massPage->genreBox->setCurrentText(" Jazz ");
    Quit(window);

    EXPECT_EQ(SavedFile().Read("TForm1", "Edit28_Text"), "plain");
    window = Start();
    for (const auto& [field, text] : values) EXPECT_EQ(edit(field)->text(), text) << edit(field)->objectName().toStdString();
    EXPECT_EQ(window->massPage->genreBox->currentText(), " Jazz ");
    EXPECT_EQ(Text(window->renamePage->editor->separatorEdit), "") << "the separators keep their own quoting";

    WriteVorbisFile(temp_.Path() / "music" / "a.ogg", {{"ARTIST", "Band"}});
    platform_.chooserAnswers.push_back((temp_.Path() / "music").string());
    Click(window->folderButton);
    Click(window->massPage->RowCheck(TTagField::Artist));
    Click(window->massPage->ModeButton(TTagField::Artist, TMassMode::Prepend));
    Click(window->massPage->runButton);
    EXPECT_EQ(ReadTags(temp_.Path() / "music" / "a.ogg").Artist, "The Band");
}

// A settings file of version 0.0.20, written by its window with every kept control set away from its
// default, comes back as that version showed it after reading it (settings-0.0.20.shown: each
// control's state, then the window's place): every option, word list, format and folder.
TEST_F(SettingsTest, AFileOfAnEarlierVersionComesBackAsThatVersionShowedIt) {
    const std::filesystem::path data(PARVEX_TEST_DATA);
    config_.WriteIni(ReadAll(data / "settings-0.0.20.INI"));
    auto window = Start();
    std::istringstream shown(ReadAll(data / "settings-0.0.20.shown"));
    std::size_t controls = 0;
    for (std::string line; std::getline(shown, line);) {
        const std::string name = line.substr(0, line.find('\t'));
        const std::string state = line.substr(name.size() + 1);
        if (name == "pos") {
            EXPECT_EQ(std::to_string(window->x()) + "," + std::to_string(window->y()), state) << "the window's place";
            continue;
        }
        EXPECT_EQ(States(*window, {name})[name], state) << name;
        ++controls;
    }
    EXPECT_EQ(controls, MainWindowStoredProps().size());
}

// Values typed into the file by hand: quotes and blanks around a value are the file's, not the
// value's; a separator without the program's quotes keeps its characters; letter case of True and
// False does not matter and other texts leave a box alone. Restored boxes run their click handlers:
// "Remove all tags" grays the other Clear boxes (which are still restored) and enables "Clear", a
// Mass row enables "Tag"; a mode button the user cannot press is restored all the same.
TEST_F(SettingsTest, AFileWrittenByHand) {
    config_.WriteIni(
        "[TForm1]\n"
        "Edit4_Text=  \"/my music/\"  \n"
        "edtFieldSep_Text=_\n"
        "Edit20_Text=\"\" - \"\"\n"
        "Edit22_Text=\" ; \"\n"
        "Edit9_Text=\"\n"
        "Edit10_Text='single quoted'\n"
        "Edit11_Text=\"\"double\"\"\n"
        "CheckBox12_Checked=true\n"
        "CheckBox8_Checked=TRUE\n"
        "clrVersion_Checked=true\n"
        "CheckBox1_Checked=1\n"
        "artist_p_Checked=tRuE\n"
        "other_o_Checked=yes\n"
        "other_a_Checked=True\n"
        "chkDontRenameUntaggedFiles_Checked=fAlSe\n"
        "[TForm1.ListBox3_Items]\n"
        "Count=2\n"
        "Item0=\"the\"\n"
        "Item1=  of  \n");
    auto window = Start();
    EXPECT_EQ(Text(window->folderEdit), "/my music/");
    EXPECT_EQ(Text(window->renamePage->editor->separatorEdit), "_");
    EXPECT_EQ(Text(window->tagFromNamePage->editor->separatorEdit), " - ");
    EXPECT_EQ(Text(window->tagListPage->editor->separatorEdit), ";") << "one pair goes in the read, the blanks with the trim";
    EXPECT_EQ(Text(window->tagFromNamePage->editor->replaceEdit), "\"");
    EXPECT_EQ(Text(window->massPage->RowEdit(TTagField::Artist)), "single quoted");
    EXPECT_EQ(Text(window->massPage->RowEdit(TTagField::Title)), "\"double\"");
    EXPECT_EQ(Items(*window->tagFromNamePage->editor->wordList), QStringList({"of", "the"}));
    EXPECT_FALSE(window->renamePage->dontRenameUntaggedCheck->isChecked());

    EXPECT_TRUE(window->massPage->RowCheck(TTagField::Track)->isChecked());
    EXPECT_TRUE(window->massPage->runButton->isEnabled());
    EXPECT_TRUE(window->massPage->ModeButton(TTagField::Artist, TMassMode::Append)->isChecked());
    EXPECT_FALSE(window->massPage->ModeButton(TTagField::Artist, TMassMode::Overwrite)->isChecked());
    EXPECT_TRUE(window->massPage->otherModeButtons[0]->isChecked());
    EXPECT_FALSE(window->massPage->otherModeButtons[0]->isEnabled());
    EXPECT_FALSE(window->massPage->otherModeButtons[1]->isChecked());
    EXPECT_TRUE(window->clearPage->removeAllCheck->isChecked());
    EXPECT_FALSE(window->clearPage->FieldCheck(TTagField::Artist)->isChecked()) << "\"1\" is no Boolean text";
    EXPECT_TRUE(window->clearPage->runButton->isEnabled());
    EXPECT_TRUE(window->clearPage->removeAllCheck->isEnabled());
    for (QCheckBox* box : {window->clearPage->FieldCheck(TTagField::Artist), window->clearPage->FieldCheck(TTagField::Comment), window->clearPage->otherTagsCheck, window->clearPage->FieldCheck(TTagField::ISRC)})
        EXPECT_FALSE(box->isEnabled()) << box->objectName().toStdString();
    QCheckBox* versionBox = window->clearPage->FieldCheck(TTagField::Version);
    EXPECT_FALSE(versionBox->isEnabled());
    EXPECT_TRUE(versionBox->isChecked());
    EXPECT_TRUE(platform_.messages.empty());
    Click(window->clearPage->removeAllCheck);
    EXPECT_TRUE(versionBox->isEnabled());
    EXPECT_TRUE(versionBox->isChecked());

    Quit(window);  // the separator written by hand now goes through the program's quoting
    window = Start();
    EXPECT_EQ(Text(window->renamePage->editor->separatorEdit), "_");
    EXPECT_EQ(Text(window->massPage->RowEdit(TTagField::Title)), "\"double\"");
}

// A stored list replaces the design-time lines; an emptied list leaves no section behind, so the
// next start shows the list's design-time lines again.
TEST_F(SettingsTest, AnEmptiedListComesBackAsDesigned) {
    config_.WriteIni("[TForm1.ListBox7_Items]\nCount=2\nItem0=TRASH\nItem1=Target file\n");
    auto window = Start();
    ASSERT_EQ(Items(*window->tagListPage->editor->orderList), QStringList({"TRASH", "Target file"}));
    window->tagFromNamePage->editor->wordList->addItem("of");
    window = Restart(std::move(window));
    ASSERT_EQ(Items(*window->tagFromNamePage->editor->wordList), QStringList{"of"});
    window->tagListPage->editor->orderList->clear();
    window->tagFromNamePage->editor->wordList->clear();
    Quit(window);

    EXPECT_FALSE(SavedFile().HasSection("TForm1.ListBox7_Items"));
    EXPECT_FALSE(SavedFile().HasSection("TForm1.ListBox3_Items"));
    window = Start();
    EXPECT_EQ(Items(*window->tagListPage->editor->orderList), QStringList{"Target file"});
    EXPECT_EQ(window->tagFromNamePage->editor->wordList->count(), 0);
}

TEST_F(SettingsTest, TheSavedWorkingFolderIsListedAtStart) {
    WriteVorbisFile(temp_.Path() / "music" / "b.ogg", {{"TITLE", "B"}});
    WriteVorbisFile(temp_.Path() / "music" / "a.ogg", {{"TITLE", "A"}});
    temp_.Write("music/notes.txt", "not music");
    config_.WriteIni("[TForm1]\nEdit4_Text=" + temp_.Dir() + "music/\n");
    auto window = Start();
    EXPECT_EQ(TableNames(*window->browsePage), QStringList({"a.ogg", "b.ogg"}));
    EXPECT_EQ(window->pages->currentWidget(), window->browsePage);
    Quit(window);

    std::filesystem::remove_all(temp_.Path() / "music");
    window = Start();
    EXPECT_EQ(Text(window->folderEdit), temp_.Dir() + "music/") << "a folder that went away stays chosen";
    EXPECT_EQ(window->browsePage->fileTable->model()->rowCount(), 0);
    Quit(window);

    // A name the scan refuses: the restore passes over the error, as over any value it cannot use.
    WriteVorbisFile(temp_.Path() / "odd*name" / "a.ogg", {});
    config_.WriteIni("[TForm1]\nEdit4_Text=" + temp_.Dir() + "odd*name/\nCheckBox9_Checked=True\n");
    window = Start();
    EXPECT_EQ(window->browsePage->fileTable->model()->rowCount(), 0);
    EXPECT_TRUE(window->massPage->RowCheck(TTagField::Artist)->isChecked()) << "the values after it are restored";
    EXPECT_TRUE(platform_.messages.empty());
}

// A file that is not there, holds anything at all, comes from a newer version or places the window
// where this screen cannot show it never keeps the window from opening as designed.
TEST_F(SettingsTest, AMissingOrMalformedFileOpensTheWindowAsDesigned) {
    const auto checkDesigned = [this](const TMainWindow& window) {
        EXPECT_EQ(window.pos(), QPoint(268, 107));
        EXPECT_FALSE(window.isMinimized());
        EXPECT_EQ(Text(window.folderEdit), "");
        EXPECT_EQ(Text(window.renamePage->editor->separatorEdit), "");
        EXPECT_FALSE(window.massPage->RowCheck(TTagField::Artist)->isChecked());
        EXPECT_TRUE(window.massPage->ModeButton(TTagField::Artist, TMassMode::Overwrite)->isChecked());
        EXPECT_TRUE(window.renamePage->dontRenameUntaggedCheck->isChecked());
        EXPECT_EQ(Items(*window.tagListPage->editor->orderList), QStringList{"Target file"});
        EXPECT_TRUE(platform_.messages.empty());
    };
    {
        auto window = Start();
        checkDesigned(*window);
        EXPECT_FALSE(std::filesystem::exists(config_.IniPath().parent_path())) << "reading creates nothing";
        Quit(window);
    }
    // The close writes the design values; the separators in the program's quotes, the "Recurse
    // subdirs" boxes of the Mass and Clear pages not at all.
    const TIniDocument designed = SavedFile();
    EXPECT_EQ(designed.Read("TForm1", "FormVersion"), "0");
    EXPECT_EQ(designed.Read("TForm1", "edtFieldSep_Text"), "\"\"");
    EXPECT_EQ(designed.Read("TForm1.ListBox7_Items", "Item0"), "Target file");
    EXPECT_EQ(designed.Read("TForm1", "CheckBox39_Checked"), std::nullopt);

    const int ppi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch());
    const std::string unusable[] = {
        "[TForm1]\nFormVersion=-1\nEdit4_Text=/music/\nCheckBox9_Checked=True\nedtFieldSep_Text=\"_\"\n",
        "[TForm1]\nPixelsPerInch=" + std::to_string(ppi + 48) + "\nNormPos=110,120,400,500\n",
        "[TForm1]\nNormPos=30000,30000,30300,30400\n",
        "[TForm1]\nNormPos=400,120,110,500\n",  // left not before right
    };
    for (const std::string& file : unusable) {
        config_.WriteIni(file);
        auto window = Start();
        checkDesigned(*window);
    }

    // What cannot be used is passed over and the read goes on. A header without its "]" still counts.
    config_.WriteIni(std::string(1, '\0') +
                     "\xff\xfe garbage\r\n[TForm1\n=\nFormVersion=zz\nShowCmd=two\n"
                     "NormPos=a,b,,\nPixelsPerInch=\nCheckBox9_Checked=yes\nartist_o_Checked=\n"
                     "Edit4_Text\nEdit10_Text=still read\n"
                     "[TForm1.ListBox2_Items]\nCount=2147483647\n"
                     "[TForm1.ListBox3_Items]\nCount=0x3\nItem2=b\n"
                     "[TForm1.ListBox5_Items]\nCount=-4\nItem0=x\n"
                     "[TForm1.ListBox7_Items]\nCount=-3\nItem0=lost\n");
    auto window = Start();
    checkDesigned(*window);
    EXPECT_EQ(Text(window->massPage->RowEdit(TTagField::Artist)), "still read");
    EXPECT_EQ(window->massPage->otherTagsList->count(), kMaxStoredListLines);
    EXPECT_EQ(Items(*window->tagFromNamePage->editor->wordList), QStringList({"", "", "b"}));
    EXPECT_EQ(window->tagFromNamePage->editor->orderList->count(), 0);
}

// The close writes the window's keys into the file and leaves every other line of it as it was.
TEST_F(SettingsTest, ClosingWritesOnceAndTheDestroyNothingMore) {
    const std::string others = "; by hand\n[Other]\nkeep=me\n\n[TForm1]\nEdit10_Text=old\nCustom=1\n";
    config_.WriteIni(others);
    auto window = Start();
    Click(window->massPage->RowCheck(TTagField::Artist));
    EXPECT_TRUE(window->close());
    EXPECT_EQ(config_.ReadIni().rfind(others, 0), 0u) << "what was there comes first, unchanged";
    EXPECT_EQ(SavedFile().Read("TForm1", "Visible"), "0");
    EXPECT_EQ(SavedFile().Read("TForm1", "CheckBox9_Checked"), "True");
    std::filesystem::remove(config_.IniPath());
    window.reset();
    EXPECT_FALSE(std::filesystem::exists(config_.IniPath())) << "written again at destroy";

    std::filesystem::remove_all(config_.IniPath().parent_path());
    window = std::make_unique<TMainWindow>(platform_);  // never shown: nothing read, nothing to write
    window->close();
    window.reset();
    EXPECT_FALSE(std::filesystem::exists(config_.IniPath().parent_path()));
}

// A window freed without being closed (the session ended) still keeps what the user set; one that
// was never shown has read nothing and must not overwrite the file with its design-time values.
TEST_F(SettingsTest, TheDestroyWritesOnlyWhatWasNotWritten) {
    auto window = Start();
    Click(window->massPage->RowCheck(TTagField::Artist));
    window.reset();
    EXPECT_EQ(SavedFile().Read("TForm1", "Visible"), "1");
    EXPECT_EQ(SavedFile().Read("TForm1", "CheckBox9_Checked"), "True");

    const std::string before = config_.ReadIni();
    std::make_unique<TMainWindow>(platform_).reset();
    EXPECT_EQ(config_.ReadIni(), before);
}

// The window's frame is kept for each screen size, with the last one written beside them; the one
// for this screen's size wins.
TEST_F(SettingsTest, TheWindowComesBackWhereAndAsItWasLeft) {
    auto window = Start();
    window->showMinimized();
    QApplication::processEvents();
    ASSERT_TRUE(window->isMinimized());
    window = Restart(std::move(window));
    EXPECT_EQ(SavedFile().Read("TForm1", "ShowCmd"), "2");
    EXPECT_TRUE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());

    window->showNormal();
    window->move(300, 200);
    const QSize frame = window->frameGeometry().size();
    window = Restart(std::move(window));
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(window->pos(), QPoint(300, 200));
    const TIniDocument saved = SavedFile();
    const QScreen& screen = *QGuiApplication::primaryScreen();
    const std::string sizedKey = "NormPos(" + std::to_string(screen.geometry().width()) + "x" +
                                 std::to_string(screen.geometry().height()) + ")";
    const std::string ppi = std::to_string(qRound(screen.logicalDotsPerInch()));
    const std::string normal = "300,200," + std::to_string(300 + frame.width()) + "," + std::to_string(200 + frame.height());
    EXPECT_EQ(saved.Read("TForm1", sizedKey), normal);
    EXPECT_EQ(saved.Read("TForm1", "NormPos"), normal);
    EXPECT_EQ(saved.Read("TForm1", "PixelsPerInch"), ppi);
    EXPECT_EQ(saved.Read("TForm1", "ShowCmd"), "1");
    Quit(window);

    config_.WriteIni("[TForm1]\nPixelsPerInch=" + ppi + "\nNormPos=110,120,400,500\n" + sizedKey + "=150, 160 ,450,540\n");
    EXPECT_EQ(Start()->pos(), QPoint(150, 160));
    config_.WriteIni("[TForm1]\nPixelsPerInch=" + ppi + "\nNormPos(1x1)=150,160,450,540\nNormPos=110,120,400,500\n");
    EXPECT_EQ(Start()->pos(), QPoint(110, 120));
}

// The window's size, maximised or not, and the table's columns (order, widths, hidden ones) come back;
// a column list edited by hand keeps what it can use.
TEST_F(SettingsTest, TheWindowSizeAndTheTableColumnsComeBack) {
    auto window = Start();
    window->resize(1000, 760);
    QHeaderView& header = *window->browsePage->fileTable->horizontalHeader();
    header.moveSection(header.visualIndex(3), 1);  // Album next to the file
    header.resizeSection(1, 150);
    header.hideSection(6);
    window = Restart(std::move(window));
    EXPECT_EQ(window->size(), QSize(1000, 760));
    QHeaderView& restored = *window->browsePage->fileTable->horizontalHeader();
    EXPECT_EQ(restored.logicalIndex(1), 3);
    EXPECT_EQ(restored.sectionSize(1), 150);
    EXPECT_TRUE(restored.isSectionHidden(6));
    EXPECT_FALSE(restored.isSectionHidden(2));

    window->showMaximized();
    QApplication::processEvents();
    window = Restart(std::move(window));
    EXPECT_TRUE(window->isMaximized());
    Quit(window);

    config_.WriteIni("[TForm1]\nListview1_Columns=0:x,99:10,2:120:hidden,0:80:hidden,,5\n");
    window = Start();
    QHeaderView& byHand = *window->browsePage->fileTable->horizontalHeader();
    EXPECT_TRUE(byHand.isSectionHidden(2));
    EXPECT_EQ(byHand.logicalIndex(0), 2);
    EXPECT_FALSE(byHand.isSectionHidden(0)) << "the file's column always shows";
    EXPECT_EQ(byHand.sectionSize(0), 80);
}

// A settings folder that cannot be made (a file stands in its place) or a folder nobody may write to,
// root included: the failure is shown once, the old file stays whole, and the window still closes.
TEST_F(SettingsTest, AnUnwritableFolderIsReportedOnce) {
    const std::vector<TShownMessage> expected{
        {TMessageKind::Error, "Unable to write to " + config_.IniPath().string()}};
    std::ofstream(config_.IniPath().parent_path()) << "a file where the folder belongs";
    auto window = Start();
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    window.reset();
    EXPECT_EQ(platform_.messages, expected);
    platform_.messages.clear();
    std::filesystem::remove(config_.IniPath().parent_path());

    config_.WriteIni("[TForm1]\nEdit10_Text=old\n");
    const std::string before = config_.ReadIni();
    TReadOnlyFolder readOnly(config_.IniPath().parent_path());
    if (!readOnly.Active()) GTEST_SKIP() << "cannot make a folder read-only here (no bind mount)";
    window = Start();
    EXPECT_EQ(Text(window->massPage->RowEdit(TTagField::Artist)), "old");
    Type(window->massPage->RowEdit(TTagField::Artist), "new");
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    window.reset();
    EXPECT_EQ(platform_.messages, expected);
    EXPECT_EQ(config_.ReadIni(), before);
}

}  // namespace
}  // namespace parvex::test

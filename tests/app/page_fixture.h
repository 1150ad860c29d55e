#pragma once
// The shown main window with both dialogs, a music folder of real files and the means to check the
// files on disk afterwards: for the tests of the Browse, Mass and Clear pages.

#include <sys/mount.h>

#include <QListWidget>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "app/add_tag_dialog.h"
#include "app/add_word_dialog.h"
#include "modal_dialog.h"
#include "ogg/ogg_vorbis.h"
#include "support/ogg_builder.h"
#include "window_fixture.h"

namespace parvex::test {

class PageTest : public WindowTest {
protected:
    PageTest() {
        TMainWindow& window = Window();
        // The window owns its dialogs, as the program's do live as long as it.
        addTagDialog_ = new TAddTagDialog(&window, platform_);
        window.SetDialogs(*addTagDialog_, *new TAddWordDialog(&window));
        ShowActive();
    }

    std::filesystem::path Music() const { return temp_.Path() / "music"; }
    std::filesystem::path Music(const std::string& name) const { return Music() / name; }

    // Chooses `folder` with the "Directory" button, as the user does, and waits for its listing.
    void ChooseFolder(const std::filesystem::path& folder) {
        platform_.chooserAnswers.push_back(folder.string());
        QTest::mouseClick(Window().folderButton, Qt::LeftButton);
        AwaitListing(*Window().browsePage);
    }

    QStringList ListedFiles() { return TableNames(*Window().browsePage); }
    // The name of the file the table's current row shows, once the table is full.
    QString CurrentFile() {
        AwaitListing(*Window().browsePage);
        return Window().browsePage->fileTable->currentIndex().siblingAtColumn(0).data().toString();
    }

    static QStringList Items(const QListWidget& list) {
        QStringList items;
        for (int i = 0; i < list.count(); ++i) items << list.item(i)->text();
        return items;
    }

    // Clicks the list entry `text`; fails the test when there is none.
    static void ClickItem(QListWidget& list, const QString& text) {
        const QList<QListWidgetItem*> found = list.findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        list.scrollToItem(found.first());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(found.first()).center());
    }
    static void DoubleClickItem(QListWidget& list, const QString& text) {
        const QList<QListWidgetItem*> found = list.findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        const QPoint at = list.visualItemRect(found.first()).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    }

    // Clicks the table's row of the file `name`, holding `modifiers`; fails the test when there is none.
    void SelectFile(const QString& name, Qt::KeyboardModifiers modifiers = {}) {
        QTableView& table = *Window().browsePage->fileTable;
        const int row = TableNames(*Window().browsePage).indexOf(name);
        ASSERT_GE(row, 0) << name.toStdString();
        const QModelIndex at = table.model()->index(row, 0);
        table.scrollTo(at);
        QTest::mouseClick(table.viewport(), Qt::LeftButton, modifiers, table.visualRect(at).center());
    }

    // Runs `open`, which opens the Add a Tag dialog, while `interact` plays the user's part in it.
    void WithTagDialog(const std::function<void()>& open, const std::function<void()>& interact) {
        WhileOpen(*addTagDialog_, interact, [&open] {
            open();
            return std::string();
        });
    }
    void WithTagDialog(QPushButton* button, const std::function<void()>& interact) {
        WithTagDialog([button] { QTest::mouseClick(button, Qt::LeftButton); }, interact);
    }
    // Fills in the open Add a Tag dialog and presses OK. The name is typed, the value set.
    void AnswerTagDialog(const char* typedName, const QString& value) {
        addTagDialog_->nameEdit->clear();
        QTest::keyClicks(addTagDialog_->nameEdit, typedName);
        addTagDialog_->valueEdit->setPlainText(value);
        QTest::mouseClick(addTagDialog_->okButton, Qt::LeftButton);
    }

    TAddTagDialog* addTagDialog_;
};

// The file's tags as the reader sees them.
inline TOggVorbis ReadTags(const std::filesystem::path& file) {
    TOggVorbis tags;
    EXPECT_TRUE(tags.LoadFromFile(file.string())) << file;
    return tags;
}

// What `vorbiscomment -l` lists for the file, or nothing when the tool is not installed.
inline std::optional<std::string> VorbisCommentList(const std::filesystem::path& file) {
    if (std::system("command -v vorbiscomment >/dev/null 2>&1") != 0) return std::nullopt;
    const std::string command = "vorbiscomment -l '" + file.string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string listing;
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) listing.append(buffer, n);
    pclose(pipe);
    return listing;
}

// Copies one of the real encoded test files into `folder` under `name`.
inline std::filesystem::path CopyDataFile(const char* dataName, const std::filesystem::path& folder,
                                          const std::string& name) {
    std::filesystem::create_directories(folder);
    const std::filesystem::path target = folder / name;
    std::filesystem::copy_file(std::filesystem::path(PARVEX_TEST_DATA) / dataName, target);
    return target;
}

// Makes a folder read-only for everyone, root included, for its lifetime: a read-only bind mount of
// the folder onto itself. Active() is false where mounting is not allowed.
class TReadOnlyFolder {
public:
    explicit TReadOnlyFolder(const std::filesystem::path& folder) : folder_(folder.string()) {
        if (::mount(folder_.c_str(), folder_.c_str(), nullptr, MS_BIND, nullptr) != 0) return;
        mounted_ = true;
        active_ = ::mount(nullptr, folder_.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    ~TReadOnlyFolder() {
        if (mounted_) ::umount(folder_.c_str());
    }
    TReadOnlyFolder(const TReadOnlyFolder&) = delete;
    TReadOnlyFolder& operator=(const TReadOnlyFolder&) = delete;

    bool Active() const { return active_; }

private:
    std::string folder_;
    bool mounted_ = false;
    bool active_ = false;
};

}  // namespace parvex::test

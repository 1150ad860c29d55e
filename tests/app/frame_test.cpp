// The frame's behaviour: creation (version, batch mode, genre lists), the "Directory" button, the
// first show and closing.

#include <sys/stat.h>
#include <unistd.h>

#include <QSignalSpy>

#include "app/genres.h"
#include "window_fixture.h"

namespace parvex::test {
namespace {

QStringList Items(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
    return items;
}

QStringList SortedWithoutCase(QStringList names) {
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

using FrameTest = WindowTest;

TEST_F(FrameTest, CreationSetsTheVersionAndAnEmptyBatchMode) {
    TMainWindow& window = Window();
    EXPECT_EQ(window.logPage->versionLabel->text(), "Version 0.0.20");
    EXPECT_EQ(window.logPage->versionLabel->width(), window.logPage->versionLabel->sizeHint().width()) << "the whole caption shows";
    EXPECT_EQ(window.BatchMode, "");
    EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(FrameTest, WithoutGenreFileBothBoxesOfferTheBuiltInNamesSorted) {
    TMainWindow& window = Window();
    QStringList builtIn;
    for (const std::string& name : BuiltInGenres()) builtIn << QString::fromStdString(name);
    ASSERT_EQ(builtIn.size(), 115);
    EXPECT_EQ(builtIn.removeDuplicates(), 0);
    for (const QComboBox* box : {window.browsePage->genreBox, window.massPage->genreBox}) {
        EXPECT_EQ(Items(*box), SortedWithoutCase(builtIn)) << box->objectName().toStdString();
        EXPECT_EQ(box->currentText(), "") << "no genre is chosen before a file is";
        EXPECT_EQ(box->maxVisibleItems(), 16);
        EXPECT_TRUE(box->isEditable());
    }
    EXPECT_TRUE(Items(*window.browsePage->genreBox).contains("Psychadelic"));
    EXPECT_TRUE(Items(*window.browsePage->genreBox).contains("Folk/Rock"));
}

// Lines end at CR LF, CR or LF; byte 26 ends the file; an empty line is an entry of its own.
TEST_F(FrameTest, GenreFileReplacesTheBuiltInListLineByLine) {
    temp_.Write("genre.txt", std::string("Zouk\r\nacid Folk\rBig\nBeat\r\r\nAmbient\r\n\x1aRock\r\n"));
    TMainWindow& window = Window();
    const QStringList expected = {"", "acid Folk", "Ambient", "Beat", "Big", "Zouk"};
    EXPECT_EQ(Items(*window.browsePage->genreBox), expected);
    EXPECT_EQ(Items(*window.massPage->genreBox), expected);
    EXPECT_GE(platform_.pendingMessageRuns, 5) << "pending messages run before each line";
}

TEST_F(FrameTest, AnEmptyGenreFileLeavesBothListsEmpty) {
    temp_.Write("genre.txt", "");
    TMainWindow& window = Window();
    EXPECT_EQ(window.browsePage->genreBox->count(), 0);
    EXPECT_EQ(window.massPage->genreBox->count(), 0);
}

TEST_F(FrameTest, AFolderNamedLikeTheGenreFileIsNoGenreFile) {
    std::filesystem::create_directory(temp_.Path() / "genre.txt");
    EXPECT_EQ(Window().browsePage->genreBox->count(), 115);
}

TEST_F(FrameTest, AnUnreadableGenreFileIsReportedAndTheWindowStillOpens) {
    const auto file = temp_.Write("genre.txt", "Rock\r\n");
    std::filesystem::permissions(temp_.Path(), std::filesystem::perms::all);
    std::filesystem::permissions(file, std::filesystem::perms::none);
    {
        TAsNobody nobody;
        Window();
    }
    if (platform_.messages.empty()) GTEST_SKIP() << "the file stayed readable (no way to drop privileges)";
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0],
              (TShownMessage{TMessageKind::Error, "Cannot open file genre.txt: permission denied"}));
    EXPECT_EQ(Window().browsePage->genreBox->count(), 0);
    EXPECT_EQ(Window().logPage->versionLabel->text(), "Version 0.0.20") << "what came before the failure was done";
}

// Cancel leaves the folder as it was: an empty folder must not become "/", the whole file system.
TEST_F(FrameTest, DirectoryButtonStartsAtTheWorkingDirectoryAndEndsItWithASeparator) {
    struct Case {
        const char* before;
        std::optional<std::string> chosen;
        const char* after;
    };
    const Case cases[] = {
        {"", std::string("/home/user/Music"), "/home/user/Music/"},
        {"/old/", std::string("/srv/music/"), "/srv/music/"},
        {"/old/", std::string("/"), "/"},
        {"/old/", std::nullopt, "/old/"},
        {"/no/separator", std::nullopt, "/no/separator"},
        {"", std::nullopt, ""},
    };
    TMainWindow& window = Window();
    for (const Case& c : cases) {
        window.folderEdit->setText(c.before);
        platform_.chooserAnswers = {c.chosen};
        platform_.directoryChooserStarts.clear();
        QTest::mouseClick(window.folderButton, Qt::LeftButton);
        EXPECT_EQ(platform_.directoryChooserStarts, std::vector<std::string>{c.before});
        EXPECT_EQ(window.folderEdit->text().toStdString(), c.after) << "from " << c.before;
    }
}

TEST_F(FrameTest, ClosingQuotesTheFiveSeparatorTexts) {
    TMainWindow& window = Window();
    window.renamePage->editor->separatorEdit->setText(" - ");
    window.tagFromNamePage->editor->separatorEdit->setText("_");
    window.tagFromNamePage->editor->replaceEdit->setText("");
    window.renamePage->editor->replaceEdit->setText(" ");
    window.tagListPage->editor->separatorEdit->setText(";");
    window.show();
    EXPECT_TRUE(window.close()) << "closing is never refused";
    EXPECT_EQ(window.renamePage->editor->separatorEdit->text(), "\" - \"");
    EXPECT_EQ(window.tagFromNamePage->editor->separatorEdit->text(), "\"_\"");
    EXPECT_EQ(window.tagFromNamePage->editor->replaceEdit->text(), "\"\"");
    EXPECT_EQ(window.renamePage->editor->replaceEdit->text(), "\" \"");
    EXPECT_EQ(window.tagListPage->editor->separatorEdit->text(), "\";\"");
}

TEST_F(FrameTest, ShowingTheWindowMakesTheFirstPageActiveWithoutAPageChange) {
    TMainWindow& window = Window();
    window.pages->setCurrentWidget(window.logPage);
    QSignalSpy pageChanges(window.pages, &QTabWidget::currentChanged);
    window.show();
    EXPECT_EQ(window.pages->currentWidget(), window.browsePage);
    EXPECT_EQ(pageChanges.count(), 0);
    window.SetActivePage(window.logPage);
    EXPECT_EQ(window.pages->currentWidget(), window.logPage);
    EXPECT_EQ(pageChanges.count(), 0);
}

// A chooser that raises stands for any handler that raises: the error reaches the user as an error
// box, the handler ends there, and nothing escapes into the event loop.
TEST_F(FrameTest, AnErrorInAHandlerBecomesAnErrorBoxAndTheWindowGoesOn) {
    TMainWindow& window = Window();
    window.folderEdit->setText("/music");
    platform_.chooserRaises = "Cannot open file /music/x.ogg";
    QTest::mouseClick(window.folderButton, Qt::LeftButton);
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0], (TShownMessage{TMessageKind::Error, "Cannot open file /music/x.ogg"}));
    EXPECT_EQ(window.folderEdit->text(), "/music") << "the handler ended at the error";

    platform_.chooserRaises.reset();
    platform_.chooserAnswers = {std::string("/music")};
    QTest::mouseClick(window.folderButton, Qt::LeftButton);
    EXPECT_EQ(window.folderEdit->text(), "/music/") << "the next click works";
}

}  // namespace
}  // namespace parvex::test

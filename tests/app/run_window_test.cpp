// A batch run from the window: the window answers while it goes (its event loop never waits long),
// shows "N of M" and the file, stops between files, previews the plan before anything is written,
// undoes the last run and asks before closing during a run.

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

#include "fs/folder_replace.h"
#include "page_fixture.h"

namespace parvex::test {
namespace {

namespace fs = std::filesystem;

// Enough files that a run lasts a good while on a slow machine, few enough for seconds in CI.
constexpr int kManyFiles = 400;

// Each new file takes a while to write while it lives, so that Stop or a question comes while the
// run is still writing, as the window shows it, and not (on a busy machine) only once every file is
// written and the group's renames have begun, where a stop abandons the files not yet in place.
struct SlowWriting {
    SlowWriting() {
        ReplaceTesting().Hook = [](TReplaceStep step) {
            if (step == TReplaceStep::FolderOpened) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        };
    }
    ~SlowWriting() { ReplaceTesting() = {}; }
};

class RunWindowTest : public PageTest {
protected:
    void MakeFiles(int count) {
        for (int i = 0; i < count; ++i)
            WriteVorbisFile(Music("f" + std::to_string(1000 + i) + ".ogg"),
                            {{"ARTIST", "Old"}, {"TITLE", "T" + std::to_string(i)}});
        ChooseFolder(Music());
    }
    void TickMassArtist(const char* artist) {
        Window().massPage->RowCheck(TTagField::Artist)->setChecked(true);
        Window().massPage->RowEdit(TTagField::Artist)->setText(artist);
    }
    std::map<std::string, std::string> Folder() const { return test::FolderBytes(Music()); }
    QStringList LogLines() { return Window().logPage->logView->toPlainText().split('\n'); }
    // Calls `probe` every few milliseconds while the window's event loop runs.
    template <typename Probe>
    void WhileRunning(QAbstractButton* start, Probe probe) {
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, probe);
        timer.start(5);
        QTest::mouseClick(start, Qt::LeftButton);
    }
};

// The event loop goes round at least every 100 ms during a long run, the progress row shows how far
// it got, and Stop ends the run between two files: each file is untouched or complete.
TEST_F(RunWindowTest, TheWindowAnswersDuringARunAndStopsBetweenFiles) {
    MakeFiles(kManyFiles);
    const auto before = Folder();
    TickMassArtist("New");
    SlowWriting slow;
    QElapsedTimer sinceLastTick;
    qint64 longestWait = 0;
    bool sawProgress = false, buttonsDisabled = false;
    WhileRunning(Window().massPage->runButton, [&] {
        if (sinceLastTick.isValid()) longestWait = std::max(longestWait, sinceLastTick.elapsed());
        sinceLastTick.start();
        TMainWindow& w = Window();
        if (!w.logPage->progressBar->isVisible()) return;
        buttonsDisabled = buttonsDisabled || (!w.massPage->runButton->isEnabled() && !w.massPage->previewButton->isEnabled() &&
                                              !w.folderButton->isEnabled() && !w.logPage->undoButton->isEnabled());
        if (w.logPage->progressBar->format().startsWith("Writing") && w.logPage->progressBar->value() >= kManyFiles / 4 &&
            w.logPage->stopButton->isEnabled()) {
            sawProgress = w.logPage->progressBar->text().contains(" of " + QString::number(kManyFiles)) &&
                          !w.logPage->runFileLabel->toolTip().isEmpty();
            QTest::mouseClick(w.logPage->stopButton, Qt::LeftButton);
        }
    });

    EXPECT_LT(longestWait, 100) << "the window waited that long for the run";
    EXPECT_TRUE(sawProgress);
    EXPECT_TRUE(buttonsDisabled);
    EXPECT_TRUE(Window().massPage->runButton->isEnabled()) << "enabled again after the run";
    EXPECT_FALSE(Window().logPage->progressBar->isVisible());
    const QStringList log = LogLines();
    ASSERT_GE(log.size(), 2);
    EXPECT_TRUE(log[log.size() - 2].startsWith("Stopped by the user after "))
        << log[log.size() - 2].toStdString();
    int changed = 0;
    for (const auto& [name, bytes] : before) {
        const TOggVorbis tags = ReadTags(Music(name));
        if (tags.Artist == "New") {
            ++changed;
        } else {
            EXPECT_TRUE(ReadAll(Music(name)) == bytes) << name << " is neither untouched nor complete";
        }
    }
    EXPECT_GT(changed, 0);
    EXPECT_LT(changed, kManyFiles);
    EXPECT_EQ(log.back().toStdString(),
              "Done: " + std::to_string(changed) + " files changed, 0 left unchanged, 0 failed.");
}

// The preview shows the plan and writes nothing; Apply carries out exactly that plan; "Undo last
// run" then puts every file back under its old name.
TEST_F(RunWindowTest, PreviewApplyAndUndoARename) {
    CopyDataFile("stereo-44khz.ogg", Music(), "a.ogg");
    CopyDataFile("mono-8khz.ogg", Music(), "b.ogg");
    ChooseFolder(Music());
    const auto before = Folder();
    Window().renamePage->editor->fieldChecks[0]->setChecked(true);  // <Artist>
    Window().renamePage->editor->fieldChecks[1]->setChecked(true);  // <Title>

    QTest::mouseClick(Window().renamePage->previewButton, Qt::LeftButton);  // cancelled
    ASSERT_EQ(platform_.shownPlans.size(), 1u);
    EXPECT_TRUE(Folder() == before);
    const std::vector<TPreviewRow>& rows = platform_.shownPlans[0];
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Tag, "(name)");
    EXPECT_EQ(rows[0].Old, "a.ogg");

    platform_.planAnswers.push_back(true);
    QTest::mouseClick(Window().renamePage->previewButton, Qt::LeftButton);
    std::set<std::string> renamed;
    for (const auto& [name, bytes] : Folder()) renamed.insert(name);
    std::set<std::string> planned;
    for (const TPreviewRow& row : platform_.shownPlans[1]) planned.insert(row.New);
    EXPECT_EQ(renamed, planned);

    platform_.confirmAnswers.push_back(true);
    QTest::mouseClick(Window().logPage->undoButton, Qt::LeftButton);
    EXPECT_TRUE(Folder() == before);
    EXPECT_EQ(LogLines().back(), "Done: 2 files changed, 0 left unchanged, 0 failed.");

    QTest::mouseClick(Window().logPage->undoButton, Qt::LeftButton);
    EXPECT_EQ(platform_.messages.back().text, "There is no run to undo.");
}

// Where the journal cannot be written, the window asks before the run: No changes nothing, Yes runs
// without undo.
TEST_F(RunWindowTest, ARunThatCannotKeepItsJournalAsksFirst) {
    MakeFiles(2);
    const auto before = Folder();
    TickMassArtist("New");
    const std::string notAFolder = temp_.Write("state", "").string();
    TScopedEnv unwritable("XDG_STATE_HOME", notAFolder.c_str());

    QTest::mouseClick(Window().massPage->runButton, Qt::LeftButton);
    ASSERT_EQ(platform_.questions.size(), 1u);
    EXPECT_NE(platform_.questions[0].find(notAFolder + "/parvex: not a directory"), std::string::npos);
    EXPECT_EQ(LogLines().back(), "The run was cancelled: no file was changed.");
    EXPECT_TRUE(Folder() == before);

    platform_.confirmAnswers.push_back(true);
    QTest::mouseClick(Window().massPage->runButton, Qt::LeftButton);
    EXPECT_EQ(LogLines().back(), "Done: 2 files changed, 0 left unchanged, 0 failed.");
}

// Closing during a run asks, and no file begins while the question is open; No lets the run go on,
// Yes stops it and closes the window when it has ended.
TEST_F(RunWindowTest, ClosingDuringARunAsksAndStopsIt) {
    MakeFiles(kManyFiles);
    TickMassArtist("New");
    SlowWriting slow;
    platform_.confirmAnswers = {false, true};
    platform_.whileAsking = [this] {
        // The bar follows the run on a timer, which a busy machine delays: let it catch up with the
        // file the run was held at (a run that goes on never lets it settle), then watch it stay.
        const auto shown = [this] { return Window().logPage->progressBar->value(); };
        int done = shown();
        for (int tries = 0; tries < 20; ++tries) {
            QTest::qWait(100);
            const int now = shown();
            if (now == done) break;
            done = now;
        }
        QTest::qWait(300);
        EXPECT_EQ(shown(), done) << "the run waits for the answer";
    };
    int asked = 0;
    WhileRunning(Window().massPage->runButton, [&] {
        const QProgressBar& progress = *Window().logPage->progressBar;
        if (!progress.isVisible() || !progress.format().startsWith("Writing") || asked == 2) return;
        Window().close();
        ++asked;
        if (asked == 1) {
            EXPECT_TRUE(Window().isVisible()) << "No keeps the window and the run";
        }
    });
    QTest::qWait(50);
    EXPECT_FALSE(Window().isVisible());
    EXPECT_TRUE(LogLines()[LogLines().size() - 2].startsWith("Stopped by the user after "));
}

// A new run's progress row starts empty, not with the figures of the run before.
TEST_F(RunWindowTest, TheProgressRowStartsEmpty) {
    MakeFiles(20);
    TickMassArtist("First");
    QTest::mouseClick(Window().massPage->runButton, Qt::LeftButton);
    TickMassArtist("Second");
    QStringList shown;
    WhileRunning(Window().massPage->runButton, [&] {
        const TLogPage& log = *Window().logPage;
        if (log.progressBar->isVisible()) shown << log.progressBar->text() + "|" + log.runFileLabel->text();
    });
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_FALSE(shown.front().startsWith("Writing 20 of 20")) << shown.front().toStdString();
    for (const QString& row : shown) EXPECT_FALSE(row.contains("lines")) << row.toStdString();
}

}  // namespace
}  // namespace parvex::test

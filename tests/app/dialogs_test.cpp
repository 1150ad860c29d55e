// The "Add a Tag" and "Add a word" dialogs, driven through their real modal loop: each test
// schedules its typing and clicks to run once the dialog is open.

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "app/add_tag_dialog.h"
#include "app/add_word_dialog.h"
#include "app/platform/qt_platform.h"
#include "modal_dialog.h"
#include "window_fixture.h"

namespace parvex::test {
namespace {

void Type(QWidget* target, const char* keys) {
    target->setFocus();
    QTest::keyClicks(target, keys);
}

class AddTagTest : public WindowTest {
protected:
    AddTagTest() : dialog_(&Window(), platform_) { Window().SetDialogs(dialog_, words_); }

    std::string Add(const std::function<void()>& interact) {
        return WhileOpen(dialog_, interact, [this] { return dialog_.OpenForAdd(); });
    }
    std::string Edit(const std::string& name, const std::string& value,
                     const std::function<void()>& interact) {
        return WhileOpen(dialog_, interact, [&] { return dialog_.OpenForEdit(name, value); });
    }
    void ClickOk() { QTest::mouseClick(dialog_.okButton, Qt::LeftButton); }

    TAddTagDialog dialog_;
    TAddWordDialog words_{&Window()};
};

TEST_F(AddTagTest, IsAFixedDialogWithoutWindowButtons) {
    EXPECT_EQ(dialog_.windowTitle(), "Add a Tag");
    EXPECT_EQ(dialog_.size(), QSize(277, 258));
    EXPECT_EQ(dialog_.minimumSize(), dialog_.maximumSize());
    EXPECT_FALSE(dialog_.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(dialog_.windowFlags() & Qt::WindowCloseButtonHint);
    for (QPushButton* button : {dialog_.okButton, dialog_.cancelButton}) {
        EXPECT_FALSE(button->autoDefault() || button->isDefault()) << "Enter in a box never presses it";
        EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus) << "Tab reaches it";
    }
}

TEST_F(AddTagTest, TypedNameIsUpperCasedWithoutEqualsAndOkReturnsTheLine) {
    const std::string result = Add([this] {
        Type(dialog_.nameEdit, "artist=x 1.");
        EXPECT_EQ(dialog_.nameEdit->text(), "ARTISTX 1.");
        Type(dialog_.valueEdit, "One");
        ClickOk();
    });
    EXPECT_EQ(result, "ARTISTX 1.=One");
    EXPECT_FALSE(Window().browsePage->saveButton->isEnabled()) << "no file is shown: nothing to save";
}

TEST_F(AddTagTest, EnterInTheNameMovesToTheValueAndTheValueKeepsItsLines) {
    const std::string result = Add([this] {
        Type(dialog_.nameEdit, "note");
        QTest::keyClick(dialog_.nameEdit, Qt::Key_Return);
        EXPECT_TRUE(dialog_.isVisible()) << "Enter does not close the dialog";
        EXPECT_TRUE(dialog_.valueEdit->hasFocus());
        QTest::keyClicks(dialog_.valueEdit, "a");
        QTest::keyClick(dialog_.valueEdit, Qt::Key_Return);
        QTest::keyClicks(dialog_.valueEdit, "b");
        ClickOk();
    });
    EXPECT_EQ(result, "NOTE=a\r\nb");
}

// Confirmed from the keyboard: Ctrl+Enter from either box, or Tab to a button and Enter on it.
TEST_F(AddTagTest, IsConfirmedAndCancelledFromTheKeyboard) {
    struct Case {
        const char* name;
        std::function<void(TAddTagDialog&)> keys;
        std::string result;
    };
    const Case cases[] = {
        {"Ctrl+Enter in the value",
         [](TAddTagDialog& d) { QTest::keyClick(d.valueEdit, Qt::Key_Return, Qt::ControlModifier); }, "MOOD=calm"},
        {"Ctrl+Enter (keypad) in the name",
         [](TAddTagDialog& d) { QTest::keyClick(d.nameEdit, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier); },
         "MOOD=calm"},
        {"Tab to OK, Enter",
         [](TAddTagDialog& d) {
             QTest::keyClick(d.valueEdit, Qt::Key_Tab);
             EXPECT_TRUE(d.okButton->hasFocus());
             QTest::keyClick(d.okButton, Qt::Key_Return);
         },
         "MOOD=calm"},
        {"Tab to Cancel, Enter",
         [](TAddTagDialog& d) {
             QTest::keyClick(d.valueEdit, Qt::Key_Tab);
             QTest::keyClick(d.okButton, Qt::Key_Tab);
             EXPECT_TRUE(d.cancelButton->hasFocus());
             QTest::keyClick(d.cancelButton, Qt::Key_Return);
         },
         "False"},
    };
    for (const Case& c : cases) {
        const std::string result = Add([&] {
            Type(dialog_.nameEdit, "mood");
            QTest::keyClick(dialog_.nameEdit, Qt::Key_Return);
            QTest::keyClicks(dialog_.valueEdit, "calm");
            c.keys(dialog_);
        });
        EXPECT_EQ(result, c.result) << c.name;
    }
}

TEST_F(AddTagTest, CancelAndEscapeReturnFalseAndLeaveSaveAsItWas) {
    const auto fillIn = [this] {
        Type(dialog_.nameEdit, "name");
        dialog_.valueEdit->setPlainText("value");
    };
    EXPECT_EQ(Add([&] {
                  fillIn();
                  QTest::mouseClick(dialog_.cancelButton, Qt::LeftButton);
              }),
              "False");
    EXPECT_EQ(Add([&] {
                  fillIn();
                  QTest::keyClick(dialog_.valueEdit, Qt::Key_Escape);
              }),
              "False");
    EXPECT_EQ(Edit("A", "b", [&] { QTest::keyClick(dialog_.nameEdit, Qt::Key_Escape); }), "False");
    EXPECT_FALSE(Window().browsePage->saveButton->isEnabled());
}

TEST_F(AddTagTest, EditingShowsTheTagAndOkWithoutChangesReturnsItUnchanged) {
    EXPECT_EQ(Edit("URL", "a=b",
                   [this] {
                       EXPECT_EQ(dialog_.nameEdit->text(), "URL");
                       EXPECT_EQ(dialog_.valueEdit->toPlainText(), "a=b");
                       ClickOk();
                   }),
              "URL=a=b");
    // A value's own line breaks come back as they were, whether CR LF or LF alone.
    EXPECT_EQ(Edit("LYRICS", "one\r\ntwo\r\n",
                   [this] {
                       EXPECT_EQ(dialog_.valueEdit->blockCount(), 3);
                       ClickOk();
                   }),
              "LYRICS=one\r\ntwo\r\n");
    EXPECT_EQ(Edit("LYRICS", "one\ntwo", [this] { ClickOk(); }), "LYRICS=one\ntwo");
}

TEST_F(AddTagTest, PastedTextIsCleanedAtOkAndOnlyAsciiLettersChangeCase) {
    EXPECT_EQ(Add([this] {
                  dialog_.nameEdit->setText("cafe=menu");
                  dialog_.valueEdit->setPlainText("Mixed Case = kept");
                  ClickOk();
              }),
              "CAFEMENU=Mixed Case = kept");
    EXPECT_TRUE(platform_.messages.empty());
}

// Other programs drop or misread a name that is empty or holds anything but printable ASCII: OK
// refuses it with a message and the dialog stays open for the user to mend it.
TEST_F(AddTagTest, OkRefusesANameOtherProgramsCannotRead) {
    struct Case {
        QString typed;
        const char* message;
    };
    const Case cases[] = {
        {"", "The tag needs a name. "},
        {"moodx \u00e9", "\"MOODX \u00e9\" cannot be used as a tag name. "},
        {"tab\there", "\"TAB\tHERE\" cannot be used as a tag name. "},
        {"=", "The tag needs a name. "},  // "=" is dropped, nothing is left
    };
    for (const Case& c : cases) {
        platform_.messages.clear();
        const std::string result = Add([&] {
            dialog_.nameEdit->setText(c.typed);
            dialog_.valueEdit->setPlainText("value");
            ClickOk();
            EXPECT_TRUE(dialog_.isVisible()) << "refused: " << c.typed.toStdString();
            ASSERT_EQ(platform_.messages.size(), 1u);
            EXPECT_EQ(platform_.messages[0].kind, TMessageKind::Error);
            EXPECT_EQ(platform_.messages[0].text.rfind(c.message, 0), 0u) << platform_.messages[0].text;
            dialog_.nameEdit->setText("mood");
            ClickOk();
        });
        EXPECT_EQ(result, "MOOD=value") << c.typed.toStdString();
    }
}

// A name a file already holds is kept as it is, whatever it holds; changing it needs a valid one.
TEST_F(AddTagTest, EditingKeepsAFilesOwnNameButRefusesAnotherInvalidOne) {
    EXPECT_EQ(Edit("MOOD \xC3\xA9", "calm", [this] { ClickOk(); }), "MOOD \xC3\xA9=calm");
    EXPECT_EQ(Edit("", "no name", [this] { ClickOk(); }), "=no name");
    EXPECT_TRUE(platform_.messages.empty());
    EXPECT_EQ(Edit("MOOD \xC3\xA9", "calm",
                   [this] {
                       dialog_.nameEdit->setText("MOOD \u00e8");
                       ClickOk();
                       EXPECT_EQ(platform_.messages.size(), 1u);
                       dialog_.nameEdit->setText("MOOD");
                       ClickOk();
                   }),
              "MOOD=calm");
}

TEST_F(AddTagTest, EachOpeningStartsFromWhatItIsGiven) {
    Add([this] {
        Type(dialog_.nameEdit, "left");
        ClickOk();
    });
    EXPECT_EQ(Add([this] {
                  EXPECT_EQ(dialog_.nameEdit->text(), "");
                  EXPECT_EQ(dialog_.valueEdit->toPlainText(), "");
                  EXPECT_TRUE(dialog_.nameEdit->hasFocus());
                  Type(dialog_.nameEdit, "x");
                  ClickOk();
              }),
              "X=");
}

class AddWordTest : public WindowTest {
protected:
    AddWordTest() : dialog_(&Window()) {}

    std::string AskNew(const std::function<void()>& interact) {
        return WhileOpen(dialog_, interact, [this] { return dialog_.AskNewWord(); });
    }
    void ClickOk() { QTest::mouseClick(dialog_.okButton, Qt::LeftButton); }

    TAddWordDialog dialog_;
};

TEST_F(AddWordTest, IsAFixedDialogWithoutWindowButtons) {
    EXPECT_EQ(dialog_.windowTitle(), "Add a word");
    EXPECT_EQ(dialog_.size(), QSize(276, 126));
    EXPECT_FALSE(dialog_.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(dialog_.wordLabel->text(), "Word");
    EXPECT_EQ(dialog_.wordEdit->geometry(), QRect(24, 40, 225, 21));
    EXPECT_EQ(dialog_.cancelButton->geometry(), QRect(80, 80, 75, 25));
    EXPECT_EQ(dialog_.okButton->geometry(), QRect(176, 80, 75, 25));
}

TEST_F(AddWordTest, OnlyLettersAreTypedAndInLowerCase) {
    EXPECT_EQ(AskNew([this] {
                  Type(dialog_.wordEdit, "Of 3-x!");
                  EXPECT_EQ(dialog_.wordEdit->text(), "ofx");
                  QTest::keyClick(dialog_.wordEdit, Qt::Key_Backspace);
                  EXPECT_EQ(dialog_.wordEdit->text(), "of");
                  QTest::keyClick(dialog_.wordEdit, Qt::Key_Return);  // types nothing: it is OK
              }),
              "of");
}

TEST_F(AddWordTest, TabReachesOkAndCancelAndEnterPressesThem) {
    EXPECT_EQ(AskNew([this] {
                  Type(dialog_.wordEdit, "and");
                  QTest::keyClick(dialog_.wordEdit, Qt::Key_Tab);
                  EXPECT_TRUE(dialog_.okButton->hasFocus());
                  QTest::keyClick(dialog_.okButton, Qt::Key_Tab);
                  EXPECT_TRUE(dialog_.cancelButton->hasFocus());
                  QTest::keyClick(dialog_.cancelButton, Qt::Key_Return);
              }),
              "False");
    EXPECT_EQ(AskNew([this] {
                  Type(dialog_.wordEdit, "and");
                  QTest::keyClick(dialog_.wordEdit, Qt::Key_Tab);
                  QTest::keyClick(dialog_.okButton, Qt::Key_Enter, Qt::KeypadModifier);
              }),
              "and");
}

TEST_F(AddWordTest, OkOnAnEmptyBoxGivesAnEmptyWordAndCancelGivesFalse) {
    EXPECT_EQ(AskNew([this] { ClickOk(); }), "");
    EXPECT_EQ(AskNew([this] {
                  Type(dialog_.wordEdit, "word");
                  QTest::mouseClick(dialog_.cancelButton, Qt::LeftButton);
              }),
              "False");
    EXPECT_EQ(AskNew([this] {
                  Type(dialog_.wordEdit, "word");
                  QTest::keyClick(dialog_.wordEdit, Qt::Key_Escape);
              }),
              "False");
}

TEST_F(AddWordTest, EditingStartsFromTheWordAndPastedTextIsLowerCasedAtOk) {
    const std::string result = WhileOpen(
        dialog_,
        [this] {
            EXPECT_EQ(dialog_.wordEdit->text(), "the");
            dialog_.wordEdit->setText("The Caf\u00c9 2");
            ClickOk();
        },
        [this] { return dialog_.AskEditWord("the"); });
    EXPECT_EQ(result, "the caf\u00c9 2") << "pasted text skips the key filter; only ASCII letters change";
}

// What the desktop's message boxes show, read from the open box, which is then answered with Enter.
struct TShownBox {
    QString Text;
    Qt::TextFormat Format = Qt::AutoText;
};

TShownBox ShownBy(const std::function<void()>& open) {
    TShownBox shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible()) continue;
            shown = {box->text(), box->textFormat()};
            box->done(0);
        }
    });
    poll.start(10);
    open();
    return shown;
}

// A file name that looks like markup is shown as it stands, never rendered as formatting.
TEST(QtPlatformTest, MessageBoxesShowTheirTextAsPlainText) {
    TQtPlatform platform;
    const std::string name = "<b>Best</b> <img src=x>.ogg";
    const std::vector<std::function<void()>> opens = {
        [&] { platform.ShowMessage(TMessageKind::Error, "The tags could not be written to " + name); },
        [&] { platform.Confirm("Rename " + name + "?"); },
        [&] { platform.AskSaveChanges("Save changes to " + name + "?"); },
    };
    for (const auto& open : opens) {
        const TShownBox shown = ShownBy(open);
        EXPECT_EQ(shown.Format, Qt::PlainText);
        EXPECT_TRUE(shown.Text.contains(QString::fromStdString(name))) << shown.Text.toStdString();
    }
}

// The preview names itself once (Qt adds the program's name), and however long the paths, the last
// column shows whole with its header.
TEST(QtPlatformTest, PreviewTitleAndEveryColumnShow) {
    TQtPlatform platform;
    bool checked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll.stop();
        EXPECT_EQ(dialog->windowTitle(), "Preview");
        const QHeaderView* header = dialog->findChild<QTableWidget*>("tblPlan")->horizontalHeader();
        EXPECT_LE(header->sectionViewportPosition(3) + header->sectionSize(3), header->viewport()->width());
        EXPECT_GE(header->sectionSize(3), header->sectionSizeHint(3));
        checked = true;
        dialog->reject();
    });
    poll.start(10);
    EXPECT_FALSE(platform.ShowPlan({{"/" + std::string(300, 'x') + "/a.ogg", "ARTIST", "\"Old\"", "\"New\""}}));
    EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace parvex::test

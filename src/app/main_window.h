#pragma once
// The main window: a directory box above seven tabbed pages. Every control is a public member named
// as the settings and the rest of the program know it, with the same Qt object name.
//
// The window's code is split by page: main_window.cpp holds the frame (creation, first show, closing,
// the "Directory" button, the genre lists); each page builds its controls and runs its handlers in a
// file of its own.

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>
#include <QWidget>
#include <string>

#include "app/platform/error_handler.h"
#include "app/platform/platform.h"

namespace parvex {

struct TFormatEditorSpec;
struct TWordListSpec;
struct TOverwriteChoiceSpec;

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // Builds the window's controls, then runs FormCreate. `platform` must outlive the window.
    explicit TForm1(TPlatform& platform);

    // Creation: the version label, an empty batch mode and the genre lists.
    void FormCreate();
    // First show: the first page becomes the active page.
    void FormShow();
    // Closing: the five separator texts are wrapped in double quotes, so that blanks at their ends
    // survive the settings file. Closing is always allowed.
    void FormCloseQuery();
    // The "Directory" button: the directory chooser, then a trailing "/" on the working directory.
    void BitBtn1Click();

    // Fills edit15 and then edit7 with the names of genre.txt in the current directory, or, when there
    // is no such file, with the built-in names. Raises EFOpenError when the file exists but cannot be
    // opened; the names read before a failure stay in the lists.
    void LoadGenres();

    // Makes `page` the active page without running the page-change handler, as any change made by
    // the program (rather than the user) does.
    void SetActivePage(QWidget* page);

    // Browse / Edit page: Edit4Change, PageControl1Change, Listview1Click, BitBtn18Click ("Save"), the
    // other-tag handlers and the "->" copy buttons go here.

    // Batch driver: the found-file list, FindFile1Found, FindFile1Complete and the working tag record
    // go here.

    // Mass set tags page: CheckBox9Click, BitBtn3Click, MassTagFile and the other-tag handlers go here.

    // Clear tags page: CheckBox1Click, BitBtn2Click and ClearTagsFile go here.

    // File-name pages: the three format builders and their handlers, the word-list handlers,
    // btnTagFromFilenameClick, btnRenameFromTagClick, BitBtn29Click, BitBtn30Click and the per-file
    // routines go here.

    // The running batch operation's mode word; empty while browsing.
    std::string BatchMode;

    // Frame
    QGroupBox* GroupBox1;
    QLineEdit* Edit4;
    QPushButton* BitBtn1;
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QWidget* TabSheet4;
    QWidget* TabSheet5;
    QWidget* TabSheet7;
    QWidget* TabSheet6;

    // "Browse / Edit tags"
    QListWidget* Listview1;
    QLabel* Label28;
    QPushButton* BitBtn27;
    QListWidget* ListBox1;
    QPushButton* BitBtn6;
    QPushButton* BitBtn7;
    QLabel *Label21, *Label22, *Label23, *Label24, *Label25, *Label26, *Label27;
    QLabel *Label35, *Label37, *Label38, *Label39, *Label42, *Label40, *Label43;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit5, *Edit6;
    QComboBox* edit7;
    QLineEdit *Edit8, *Edit31, *Edit32, *Edit33, *Edit34, *Edit35, *Edit36, *Edit37;
    QPushButton *BitBtn20, *BitBtn21, *BitBtn22, *BitBtn23, *BitBtn24, *BitBtn25, *BitBtn26;
    QPushButton *BitBtn33, *BitBtn34, *BitBtn35, *BitBtn36, *BitBtn37, *BitBtn38, *BitBtn39;
    QLabel *Label9, *Vendertxt, *Label12, *FileSizeText, *Label13, *ChannelModeText;
    QLabel *Label14, *SampleRateText, *Label15, *DurationText, *Label16, *BitRateText;
    QPushButton* BitBtn18;

    // "Mass set tags"
    QCheckBox *CheckBox9, *CheckBox10, *CheckBox11, *CheckBox12, *CheckBox13, *CheckBox14, *CheckBox15;
    QCheckBox *CheckBox49, *CheckBox50, *CheckBox51, *CheckBox52, *CheckBox54, *CheckBox53, *CheckBox55;
    QCheckBox* CheckBox16;
    QLineEdit *Edit10, *Edit11, *Edit12, *Edit13, *Edit14;
    QComboBox* edit15;
    QLineEdit *Edit16, *Edit24, *Edit25, *Edit26, *Edit27, *Edit29, *Edit28, *Edit30;
    QListWidget* ListBox2;
    QFrame *Panel1, *Panel2, *Panel3, *Panel4, *Panel5, *Panel6, *Panel7, *Panel8;
    QFrame *Panel9, *Panel10, *Panel11, *Panel12, *Panel13, *Panel14, *Panel15;
    QRadioButton *artist_a, *artist_o, *artist_p, *title_a, *title_o, *title_p;
    QRadioButton *album_a, *album_o, *album_p, *track_a, *track_o, *track_p;
    QRadioButton *date_a, *date_o, *date_p, *genre_a, *genre_o, *genre_p;
    QRadioButton *comment_a, *comment_o, *comment_p, *license_a, *license_o, *license_p;
    QRadioButton *organization_a, *organization_o, *organization_p, *location_a, *location_o, *location_p;
    QRadioButton *contact_a, *contact_o, *contact_p, *version_a, *version_o, *version_p;
    QRadioButton *copyright_a, *copyright_o, *copyright_p, *isrc_a, *isrc_o, *isrc_p;
    QRadioButton *other_a, *other_o, *other_p;
    QPushButton* BitBtn4;
    QPushButton* BitBtn5;
    QCheckBox* CheckBox39;
    QPushButton* BitBtn3;

    // "Clear tags"
    QLabel* Label20;
    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3, *CheckBox4, *CheckBox5, *CheckBox6, *CheckBox7;
    QCheckBox *CheckBox37, *CheckBox8;
    QCheckBox *clrLicense, *clrOrganization, *clrLocation, *clrContact, *clrVersion, *clrCopyright, *clrISRC;
    QCheckBox* CheckBox40;
    QPushButton* BitBtn2;

    // "Tag based on filename"
    QCheckBox* CheckBox27;
    QLineEdit* Edit9;
    QLabel* Label1;
    QCheckBox* CheckBox28;
    QCheckBox* CheckBox29;
    QListWidget* ListBox3;
    QPushButton *BitBtn13, *BitBtn14;
    QRadioButton *radTagAll, *radDontOverwriteTags, *radIgnoreTaggedFiles;
    QPushButton* btnTagFromFilename;
    QCheckBox *CheckBox30, *CheckBox31, *CheckBox32, *CheckBox33, *CheckBox34, *CheckBox35, *CheckBox36;
    QListWidget* ListBox5;
    QPushButton *BitBtn16, *BitBtn15, *BitBtn19;
    QLabel *Label2, *Label3;
    QLineEdit *Edit20, *Edit21;

    // "Rename based on tag"
    QCheckBox* CheckBox17;
    QLineEdit* Edit19;
    QCheckBox* CheckBox18;
    QCheckBox* CheckBox19;
    QListWidget* ListBox4;
    QPushButton *BitBtn10, *BitBtn11;
    QCheckBox* chkDontRenameUntaggedFiles;
    QPushButton* btnRenameFromTag;
    QCheckBox *CheckBox20, *CheckBox21, *CheckBox22, *CheckBox23, *CheckBox24, *CheckBox25, *CheckBox26;
    QListWidget* ListBox6;
    QPushButton *BitBtn8, *BitBtn9;
    QLabel *Label4, *Label5;
    QLineEdit *edtFieldSep, *Edit18;

    // "Tag from List"
    QLabel* Label6;
    QLineEdit* Edit23;
    QPushButton* BitBtn30;
    QCheckBox* CheckBox47;
    QCheckBox* CheckBox48;
    QListWidget* ListBox8;
    QPushButton *BitBtn31, *BitBtn32;
    QRadioButton *RadioButton1, *RadioButton2, *RadioButton3;
    QPushButton* BitBtn29;
    QCheckBox *CheckBox38, *CheckBox41, *CheckBox42, *CheckBox43, *CheckBox44, *CheckBox45, *CheckBox46;
    QListWidget* ListBox7;
    QPushButton *BitBtn28, *BitBtn17, *BitBtn12;
    QLabel *Label7, *Label8;
    QLineEdit *Edit22, *Edit17;

    // "Log"
    QPlainTextEdit* memoLog;
    QLabel* Image1;
    QLabel* Version;
    QLabel *Label10, *Label11;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateFrame();
    void CreateBrowsePage();
    void CreateMassPage();
    void CreateClearPage();
    void CreateFileNamePage();
    void CreateRenamePage();
    void CreateTagListPage();
    void CreateLogPage();
    // The controls the three file-name pages share, placed alike on each.
    void CreateFormatEditor(QWidget* page, const TFormatEditorSpec& spec);
    void CreateWordList(QWidget* page, const TWordListSpec& spec);
    void CreateOverwriteChoice(QWidget* page, const TOverwriteChoiceSpec& spec);

    // Key handler of the field editors of the Browse and Mass pages: Enter moves the focus to the next
    // control, as Tab would. Returns true when the key was taken.
    bool Edit10KeyPress(QWidget* editor, QKeyEvent* key);
    // Makes `editor` (a line edit or an editable combo box) use Edit10KeyPress.
    void UseEnterMovesFocus(QWidget* editor);

    // Runs a handler through the application's error handler.
    template <typename Handler>
    void Handle(Handler&& handler);

    TPlatform& platform_;
    QSet<const QObject*> enterMovesFocus_;  // the editors that use Edit10KeyPress
};

template <typename Handler>
void TForm1::Handle(Handler&& handler) {
    RunHandler(platform_, std::forward<Handler>(handler));
}

}  // namespace parvex

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
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "app/memo_log.h"
#include "app/platform/error_handler.h"
#include "app/platform/platform.h"
#include "batch/batch_run.h"
#include "batch/run_tally.h"
#include "batch/run_thread.h"
#include "batch/tag_record.h"
#include "naming/tag_from_list.h"
#include "ogg/ogg_vorbis.h"
#include "ogg/picture.h"
#include "scan/find_file.h"
#include "scan/found_files.h"
#include "settings/form_storage.h"
#include "text/string_hash.h"

namespace parvex {

struct TFormatEditorLayout;
struct TWordListLayout;
struct TOverwriteChoiceLayout;
class TForm2;
class TForm3;

// What the picture choosers offer; the data decide what a file is, not its name.
inline constexpr const char* kPictureFilter = "Pictures (*.jpg;*.jpeg;*.png)|*.jpg;*.jpeg;*.png|";

// What a batch operation needs for one run, read from its page's controls when the run starts.
struct TBatchOrder {
    TPlanner Planner;  // plans each found file
    TPlanning Planning = TPlanning::Concurrent;
    // The lines logged after the last file (before the run's summary line), from the files found;
    // may be empty.
    std::function<std::vector<std::string>(const TFoundFileList& found)> Closing;
    // Runs off the window's thread before the scan (loading the list of the list page); may be empty.
    std::function<void(TRunThread& run)> Prepare;
};
using TBatchOrderMaker = std::function<TBatchOrder()>;

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // Builds the window's controls, then runs FormCreate. `platform` must outlive the window.
    explicit TForm1(TPlatform& platform);
    // Writes the settings when nothing was written since they were read (the window was not closed).
    ~TForm1() override;

    // Creation: the version label, an empty batch mode and the genre lists.
    void FormCreate();
    // First show: the first page becomes the active page. The settings are read just before it.
    void FormShow();
    // Closing: unsaved edits of the Browse page are saved or dropped as the user answers, or the
    // closing is refused (false); then the five separator texts are wrapped in double quotes, so
    // that blanks at their ends survive the settings file, which is written after it.
    bool FormCloseQuery();
    // After the settings were read: takes the quotes of FormCloseQuery off the five separator texts.
    void FormStorage1RestorePlacement();
    // The "Directory" button: the directory chooser; a chosen folder becomes the working directory,
    // with a trailing "/". Cancelling leaves the working directory as it was.
    void BitBtn1Click();
    // Lists `folder` (absolute, ending in "/") as the working directory and selects `fileName` in it
    // when given: the folder or file Parvex was started with.
    void OpenFolder(const std::string& folder, const std::string& fileName = {});

    // Fills edit15 and then edit7 with the names of genre.txt in the current directory, or, when there
    // is no such file, with the built-in names. Raises EFOpenError when the file exists but cannot be
    // opened; the names read before a failure stay in the lists.
    void LoadGenres();

    // Makes `page` the active page without running the page-change handler, as any change made by
    // the program (rather than the user) does.
    void SetActivePage(QWidget* page);

    // Browse / Edit page.
    // The browse scan of the working directory: empties the file list, the other tags, the found-file
    // list, the labels and the editors, then lists the directory's .ogg files.
    void Edit4Change();
    // Entering the Browse page lists the directory again, unless it shows unsaved edits, which stay;
    // other pages do nothing.
    void PageControl1Change();
    // Loads the selected file and shows its stream information, fields and other tags; a file that
    // cannot be read, is not Ogg Vorbis or has damaged headers gets its editors and Save disabled and
    // a line saying why. Before another file takes the place of unsaved edits, asks about them; on
    // Cancel the shown file stays selected. Does nothing without a selection.
    void Listview1Click();
    // "Save": writes the editors and the other tags into the selected file, then shows the file again.
    // A failed write shows an error box and keeps the edits, with Save still enabled.
    void BitBtn18Click();
    // Shared change handler of the fourteen editors: enables Save, unless the file cannot be edited.
    void Edit1Change();
    // F5: lists the folder again and shows the selected file as it is now, after asking about
    // unsaved edits.
    void RereadFolder();
    // Before unsaved edits of the Browse page would be lost, asks "Save changes to NAME?": Save writes
    // them, Discard drops them, Cancel keeps them. Returns whether the caller may go on: true without
    // unsaved edits, after Discard, or after Save wrote the file.
    bool ResolveUnsavedEdits();
    // The Browse page shows edits of a file that Save has not written.
    bool HasUnsavedEdits() const;
    void BitBtn6Click();      // adds an other tag through the Add a Tag dialog
    void BitBtn7Click();      // deletes the selected other tag
    void ListBox1DblClick();  // edits the selected other tag through the Add a Tag dialog
    void BitBtn27Click();     // copies the other tags but the pictures to the Mass page
    // The picture menu. "Set picture...": a chosen JPEG or PNG file becomes the front cover, in the
    // place of the old one (a file that is neither is refused with a message box). "Remove picture":
    // the shown picture leaves the other tags. "Save picture as...": the shown picture's image is
    // written to a chosen file. The first two are edits, saved with Save.
    void SetPictureClick();
    void RemovePictureClick();
    void SavePictureClick();

    // Batch driver.
    // Lists one found file, once per scan run.
    void FindFile1Found(TFindFile& sender, const std::string& folder, const DirEntry& fileInfo);
    // Lists the name of each file the browse scan found in Listview1.
    void FindFile1Complete(TFindFile& sender);
    // The start every batch button runs. Without a working directory it says so and stops; a
    // recursive run over the root folder or the home folder itself runs only when the user confirms
    // it, and unsaved edits of the Browse page are asked about (Cancel: no run); nothing starts while
    // a run is going on. Then it empties the log, sets the batch mode, shows the Log page and runs
    // off the window's thread: the scan of the working directory (into subfolders when `recurse` is
    // checked), the plan of every file found, then the plan carried out file by file, each file's old
    // state journaled for undo. Meanwhile the window answers, the log grows, the progress row shows
    // "N of M" and the current file, and Stop ends the run after the file being written. Returns
    // when the run has ended. A file that cannot be read or written is logged with the reason and
    // the run goes on.
    void StartBatch(const std::string& mode, const QCheckBox& recurse);
    // The same up to the plan, which is shown by the platform's preview; Apply carries out exactly
    // that plan, Cancel changes nothing.
    void PreviewBatch(const std::string& mode, const QCheckBox& recurse);
    // Makes `order` what batch mode `mode` runs; each page registers its own.
    void RegisterBatchOperation(const std::string& mode, TBatchOrderMaker order);
    // Whether a batch run, its preview or an undo is going on.
    bool RunGoing() const { return run_.Running(); }
    // "Stop": the run ends after the file being written; the log says how many files were done.
    void btnStopRunClick();
    // "Undo last run": asks, then puts back the files of the last run not undone yet (their old
    // comments and names), off the window's thread like a run; without such a run it says so.
    void btnUndoRunClick();
    // Enables the batch buttons, the preview buttons, "Directory" and "Undo last run" while no run is
    // going on (the Mass and Clear buttons also need a checked row), disables them during a run.
    void UpdateBatchButtons();
    // Where per-file routines write their log lines: each line is appended to memoLog.
    TLogSink& MemoLog() { return memoLogSink_; }
    // The dialogs, created after the window; both must outlive it.
    void SetDialogs(TForm2& form2, TForm3& form3);

    // Mass set tags page.
    // Click handler of the fifteen row boxes: "Tag" is enabled while at least one row is checked.
    void CheckBox9Click();
    // "Tag": the mass tag run; with the picture row set to "Set", reads the chosen picture first, and
    // without a usable one says why and does not run. "Preview" shows the run's plan first.
    void BitBtn3Click();
    void btnPreviewMassClick();
    // What a run of batch mode "mass" does to each file: the page's rows applied (see PlanMassTag).
    TBatchOrder MassTagFile();
    // Reads the picture a mass run sets (massPicture_); false, after a message box, when the picture
    // row is set to "Set" without a usable picture.
    bool ReadMassPicture();
    // "..." of the picture row: chooses the picture to set.
    void btnPictureFileClick();
    void BitBtn4Click();      // adds an other-tag line through the Add a Tag dialog
    void BitBtn5Click();      // deletes the selected line
    void ListBox2DblClick();  // edits the selected line through the Add a Tag dialog

    // Clear tags page.
    // Click handler of the sixteen boxes: "Clear" is enabled while one is checked; "Remove all tags"
    // grays the fifteen others without changing their marks.
    void CheckBox1Click();
    void BitBtn2Click();  // "Clear": the clear tags run
    void btnPreviewClearClick();
    // What a run of batch mode "clear" does to each file: the checked tags removed.
    TBatchOrder ClearTagsFile();

    // File-name pages.
    // The format builders: each writes its page's format text (Edit21, Edit18, Edit17) from the order
    // list and the separator as they stand.
    void BuildTagFormat();
    void BuildRenameFormat();
    void BuildListFormat();
    // Field boxes: the box that changed adds its caption to the end of the order list or removes it.
    void CheckBox30Click(const QCheckBox& box);
    void CheckBox20Click(const QCheckBox& box);
    void CheckBox38Click(const QCheckBox& box);
    // Separator edits: rebuild their format.
    void Edit20Change();
    void edtFieldSepChange();
    void Edit22Change();
    // Move the selected entry of an order list up (BitBtn16, BitBtn8, BitBtn28) or down (BitBtn15,
    // BitBtn9, BitBtn17); without a selection nothing happens.
    void BitBtn16Click();
    void BitBtn8Click();
    void BitBtn28Click();
    void BitBtn15Click();
    void BitBtn9Click();
    void BitBtn17Click();
    // Trash buttons: delete the selected "TRASH" entry, or else append one.
    void BitBtn19Click();
    void BitBtn12Click();
    // A changed selection of ListBox5 / ListBox7: the trash button names what its next press does.
    void ListBox5Click();
    void ListBox7Click();
    // Word lists: add through the Add a word dialog (BitBtn13, BitBtn10, BitBtn31), delete the
    // selected word (BitBtn14, BitBtn11, BitBtn32), double-click to edit the selected word of the list
    // that was double-clicked (ListBox3DblClick serves ListBox3 and ListBox8).
    void BitBtn13Click();
    void BitBtn10Click();
    void BitBtn31Click();
    void BitBtn14Click();
    void BitBtn11Click();
    void BitBtn32Click();
    void ListBox3DblClick(QListWidget& sender);
    void ListBox4DblClick();
    void btnTagFromFilenameClick();  // "Tag": the tag from file name run
    void btnRenameFromTagClick();    // "Rename": the rename from tag run
    // "Preview" of the file-name pages: the run's plan shown first.
    void btnPreviewFileNameClick();
    void btnPreviewRenameClick();
    void btnPreviewListClick();
    // "Tag" of the list page: checks the list file (a message box and no run when it is not set or
    // not there), loads it into ListHash, then starts the run.
    void BitBtn29Click();
    // The checks of BitBtn29Click on the list file: false, after a message box, when it is not set
    // or not there.
    bool InputListUsable();
    void BitBtn30Click();  // "Browse": chooses the list file
    // What runs of batch modes "filename", "rename" and "taglist" do to each file, read from their
    // pages; the list page's loads its list first.
    TBatchOrder TagFromFileName();
    TBatchOrder RenameFromTag();
    TBatchOrder TagFromList();

    // The running batch operation's mode word; empty while browsing.
    std::string BatchMode;
    // The one file object, for every read and write; the working tag record read and written through it.
    TOggVorbis FileObject;
    tagrecord WorkingRecord;
    // The files of the current scan, and the scan component that finds them ("*.ogg").
    TFoundFileList FoundFiles;
    TFindFile FindFile1;
    // The lookup table of the tag-list operation, and the keys of the lines it holds.
    TStringHash ListHash{kTagListStartSize};
    std::vector<TListedKey> ListKeys;
    // Keeps the working directory, the batch pages' controls and the window's place in the settings
    // file: read at the first show, written at close.
    TFormStorage FormStorage1{*this, MainWindowStoredProps(), MainWindowWholeTexts()};
    // The Add a Tag and Add a word dialogs (set by SetDialogs).
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;

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
    QLabel* lblCannotEdit;
    QToolButton* btnPicture;  // the thumbnail, with the picture menu
    QAction *actSetPicture, *actRemovePicture, *actSavePicture;
    QLabel *lblPicture, *PictureText;

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
    QCheckBox* chkPicture;  // the picture row: set the front cover or remove every picture
    QWidget* pnlPicture;
    QRadioButton *radSetPicture, *radRemovePicture;
    QLineEdit* edtPictureFile;
    QPushButton* btnPictureFile;
    QCheckBox* CheckBox39;
    QPushButton* BitBtn3;
    QPushButton* btnPreviewMass;

    // "Clear tags"
    QLabel* Label20;
    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3, *CheckBox4, *CheckBox5, *CheckBox6, *CheckBox7;
    QCheckBox *CheckBox37, *CheckBox8;
    QCheckBox *clrLicense, *clrOrganization, *clrLocation, *clrContact, *clrVersion, *clrCopyright, *clrISRC;
    QCheckBox* CheckBox40;
    QPushButton* BitBtn2;
    QPushButton* btnPreviewClear;

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
    QPushButton* btnPreviewFileName;
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
    QPushButton* btnPreviewRename;
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
    QPushButton* btnPreviewList;
    QCheckBox *CheckBox38, *CheckBox41, *CheckBox42, *CheckBox43, *CheckBox44, *CheckBox45, *CheckBox46;
    QListWidget* ListBox7;
    QPushButton *BitBtn28, *BitBtn17, *BitBtn12;
    QLabel *Label7, *Label8;
    QLineEdit *Edit22, *Edit17;

    // "Log"
    QPlainTextEdit* memoLog;
    QProgressBar* prgRun;  // while a run goes on: "Writing 12 of 40"
    QLabel* lblRunFile;    // the file the run works on
    QPushButton* btnUndoRun;
    QPushButton* btnStopRun;
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
    void CreateFindFile();
    // A preview button beside a page's action button.
    QPushButton* MakePreviewButton(QWidget* page, const char* name);
    // What SetUpRun read for a run: its mode, its operation's order and where the scan goes.
    struct TRunSetup {
        std::string Mode;
        TBatchOrder Order;
        std::string Folder;
        bool Subfolders = false;
        TDateTime Before = 0;  // files created and modified before this moment
    };
    // The checks and steps of a batch start before the scan (see StartBatch); nothing when the run
    // must not start.
    std::optional<TRunSetup> SetUpRun(const std::string& mode, const QCheckBox& recurse);
    // The scan and the plans of a run, then their application, each off the window's thread.
    std::vector<TFilePlan> PlanOffThread(const TRunSetup& setup);
    // Carries out the plans, keeping a journal for undo when `journaled`.
    void ApplyOffThread(const TRunSetup& setup, const std::vector<TFilePlan>& plans, bool journaled);
    // Fills runFiles_ with the scan of `setup`, on the run's thread; unreadable folders are logged.
    void ScanForRun(const TRunSetup& setup, TRunThread& run);
    // Runs `job` on the run thread and returns when it ended, the window answering meanwhile;
    // raises again what the job raised.
    void RunOffThread(TRunThread::TJob job);
    // Moves the run's new log lines into memoLog and shows its progress.
    void ShowRunState();
    // Closing the window during a run asks first; yes stops the run and closes the window after it.
    bool MayCloseDuringRun();
    void CloseWhenRunEnds();
    // Limits the next scan to files created and modified before now.
    void SetScanTimeLimits();
    // Points the scan at the working folder. A folder name holding ";" raises EFindFileError: the
    // scan would read it as two other folders and work on files the user never chose.
    void SetScanLocation();
    // Whether a batch run may start on the working folder: there is one, and a recursive run over
    // the whole file system or the whole home folder was confirmed by the user.
    bool MayRunOnWorkingFolder(bool recurse);
    // The selected file's path, or empty when no file is selected.
    std::string SelectedFilePath() const;
    // Selects the entry of Listview1 named like the file of `path`, if there is one.
    void SelectListedFile(const std::string& path);
    // Empties the six information labels and the fourteen editors; no file is shown.
    void ClearFileView();
    // Loads the file of `path` and shows it (see Listview1Click).
    void ShowFile(const std::string& path);
    // Shows why the selected file cannot be edited and disables its editors and Save; an empty `why`
    // enables them again and hides the line.
    void ShowCannotEdit(const QString& why);
    // The controls of the Browse page that change the shown file's tags.
    QList<QWidget*> BrowseEditingControls() const;
    // Writes the editors and the other tags into `path` and disables Save. On failure shows why and
    // returns false, the edits and Save left as they were.
    bool SaveFile(const std::string& path);
    bool SaveShownFile();
    // Ctrl+S saves, F5 rereads the folder.
    void ConnectBrowseShortcuts();
    // The picture controls of the Browse and Mass pages.
    void CreateBrowsePicture(QWidget* page);
    void CreateMassPicture(QWidget* page);
    // Shows the picture the other tags hold (ShownPicture): its thumbnail and its description.
    void ShowPicture();
    // The whole lines of ListBox1, and ListBox1 filled with `lines`.
    std::vector<std::string> OtherTagLines() const;
    void ShowOtherTags(const std::vector<std::string>& lines);
    // Gives an entry of an other-tags list its line.
    void SetOtherTag(QListWidgetItem& item, const std::string& line) const;
    // The order in which Tab visits the controls of the Browse and Mass pages.
    void SetBrowseTabOrder();
    void SetMassTabOrder();
    // Shows the working tag record: labels, editors and other tags.
    void ShowWorkingRecord();
    // The Add a Tag dialog on a list of other tags: adds a line, or replaces the selected one. Return
    // whether the list changed.
    bool AddOtherTagLine(QListWidget& list);
    bool EditOtherTagLine(QListWidget& list);
    bool DeleteOtherTagLine(QListWidget& list);
    // The controls the three file-name pages share, placed alike on each.
    void CreateFormatEditor(QWidget* page, const TFormatEditorLayout& layout);
    void CreateWordList(QWidget* page, const TWordListLayout& layout);
    void CreateOverwriteChoice(QWidget* page, const TOverwriteChoiceLayout& layout);
    // Connects the file-name pages' handlers to their controls and registers their batch routines.
    void ConnectFileNamePage();
    void ConnectRenamePage();
    void ConnectTagListPage();
    // Runs `handler` through the error handler on every click of `button`.
    void ConnectClick(QAbstractButton* button, void (TForm1::*handler)());
    // The word-list actions the handlers share.
    void AddWord(QListWidget& list);
    void EditSelectedWord(QListWidget& list);

    // Key handler of the field editors of the Browse and Mass pages: Enter moves the focus to the next
    // control, as Tab would. Returns true when the key was taken.
    bool Edit10KeyPress(QWidget* editor, QKeyEvent* key);
    // Makes `editor` (a line edit or an editable combo box) use Edit10KeyPress.
    void UseEnterMovesFocus(QWidget* editor);

    // Runs a handler through the application's error handler; while the settings are read, an error
    // of a handler is dropped and the next value is restored.
    template <typename Handler>
    void Handle(Handler&& handler);

    TPlatform& platform_;
    std::map<std::string, TBatchOrderMaker> batchOperations_;
    TRunTally batchTally_;     // what the running batch did so far
    TFoundFileList runFiles_;  // the files of the running batch, each once
    TRunThread run_;
    bool stopAsked_ = false;      // Stop was pressed (or the window closed) during this run
    bool closeAfterRun_ = false;  // the window closes when the run has ended
    TMemoLog memoLogSink_;
    QSet<const QObject*> enterMovesFocus_;  // the editors that use Edit10KeyPress
    bool restoringSettings_ = false;        // while the first show reads the settings
    std::string shownFile_;                 // the file whose tags the Browse page may edit; empty: none
    std::optional<std::pair<std::size_t, TPicture>> shownPicture_;  // its line in ListBox1
    std::optional<TPicture> massPicture_;  // the picture a mass tag run sets, read at its start
    bool editable_ = true;                 // false while the selected file cannot be edited
};

template <typename Handler>
void TForm1::Handle(Handler&& handler) {
    if (!restoringSettings_) {
        RunHandler(platform_, std::forward<Handler>(handler));
        return;
    }
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        // A restored value the window cannot act on is passed over without a word, like a value the
        // settings file holds badly; the user meets the same error when acting on it.
    }
}

}  // namespace parvex

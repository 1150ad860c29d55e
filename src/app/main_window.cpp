#include "app/main_window.h"

#include <QCloseEvent>
#include <QProxyStyle>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QShowEvent>
#include <QSignalBlocker>
#include <filesystem>

#include "app/add_tag_dialog.h"
#include "app/form_builder.h"
#include "app/genres.h"
#include "app/sorted_list.h"
#include "text/text_file_reader.h"

namespace parvex {

namespace {

bool IsFile(const char* name) {
    std::error_code error;
    return std::filesystem::exists(name, error) && !std::filesystem::is_directory(name, error);
}

// Tabs with narrow margins beside their captions, so that the seven captions fit in one row of the
// window's fixed width.
class TCompactTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace) return Scaled(12);
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace

const std::vector<std::string>& WindowStoredProps() {
    static const std::vector<std::string> entries = [] {
        std::vector<std::string> all = MainWindowStoredProps();
        all.push_back("Listview1.Columns");
        return all;
    }();
    return entries;
}

TMainWindow::TMainWindow(TPlatform& platform)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      platform_(platform) {
    setObjectName("Form1");
    // The title equals the application's name, so Qt adds no " — Parvex" of its own to it.
    setWindowTitle("Parvex");
    setFont(FormFont());
    // The drawn layout is the least size and a first start's; a larger window gives the room to the
    // Browse page's table.
    setMinimumSize(Scaled(kMainWindowLayoutSize));
    resize(minimumSize());
    move(268, 107);
    CreateFrame();
    CreatePages();
    // The section every settings file written so far keeps the window in.
    settingsStorage.SetIniSection("TForm1");
    settingsStorage.SetOnRestorePlacement([this] { UnquoteTexts(); });
    settingsStorage.SetErrorHandler([this](const std::string& message) {
        RunHandler(platform_, [this, &message] { platform_.ShowMessage(TMessageKind::Error, message); });
    });
    context_.Handle([this] { FormCreate(); });
}

// Every control still exists here: the write, when there is one, sees the window as the user left it.
TMainWindow::~TMainWindow() { settingsStorage.FormDestroying(); }

void TMainWindow::CreateFrame() {
    folderBox = MakeControl<QGroupBox>(this, "GroupBox1", {8, 8, 577, 47});
    folderBox->setTitle("Directory");
    folderEdit = MakeReadOnlyEdit(folderBox, "Edit4", {16, 16, 433, 21});
    folderButton = MakeGlyphButton(folderBox, "BitBtn1", "&Directory", TGlyph::Folder, {464, 16, 99, 21});
    context_.OnClick(folderButton, this, [this] { chooseFolder(); });

    pages = MakeControl<QTabWidget>(this, "PageControl1", {8, 64, 577, 513});
    auto* tabStyle = new TCompactTabStyle;
    tabStyle->setParent(pages->tabBar());
    pages->tabBar()->setStyle(tabStyle);
}

void TMainWindow::CreatePages() {
    pages->addTab(browsePage = new TBrowsePage(context_, pages), "Browse / Edit tags");
    pages->addTab(massPage = new TMassPage(context_, pages), "Mass set tags");
    pages->addTab(clearPage = new TClearPage(context_, pages), "Clear tags");
    pages->addTab(tagFromNamePage = new TTagFromNamePage(context_, pages), "Tag based on filename");
    pages->addTab(renamePage = new TRenamePage(context_, pages), "Rename based on tag");
    pages->addTab(tagListPage = new TTagListPage(context_, pages), "Tag from List");
    pages->addTab(logPage = new TLogPage(pages), "Log");
    memoLogSink_.Attach(*logPage->logView);

    connect(folderEdit, &QLineEdit::textChanged, this, [this] { context_.Handle([this] { onFolderChanged(); }); });
    connect(pages, &QTabWidget::currentChanged, this, [this] { context_.Handle([this] { onPageChanged(); }); });
    browsePage->RunOnFiles = [this](const std::string& mode, const TBatchOrder& order,
                                    const std::vector<std::string>& files,
                                    bool preview) { return RunOnFiles(mode, order, files, preview); };
    connect(browsePage, &TBrowsePage::fieldCopied, massPage, &TMassPage::SetRowValue);
    connect(browsePage, &TBrowsePage::otherTagsCopied, massPage, &TMassPage::SetOtherTagLines);
    for (TBatchPage* page : BatchPages()) {
        connect(browsePage, &TBrowsePage::selectionCountChanged, page, &TBatchPage::SetSelectedCount);
        connect(page, &TBatchPage::runAsked, this, [this, page](bool preview) {
            if (preview) {
                PreviewBatch(*page);
            } else {
                StartBatch(*page);
            }
        });
    }
    // An export reads the working folder as a run would, and is no run: it waits for one to end.
    connect(tagListPage, &TTagListPage::exportAsked, this, [this] {
        if (!RunGoing() && MayRunOnWorkingFolder(tagListPage->recurseCheck->isChecked()))
            tagListPage->ExportList(folderEdit->text().toStdString());
    });
    context_.OnClick(logPage->undoButton, this, [this] { undoLastRun(); });
    context_.OnClick(logPage->stopButton, this, [this] { stopRun(); });
    // Ctrl+S saves and F5 rereads the folder, whichever page is shown.
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, browsePage, &TBrowsePage::SaveIfEdited);
    connect(new QShortcut(QKeySequence::Refresh, this), &QShortcut::activated, this,
            [this] { context_.Handle([this] { browsePage->RereadFolder(); }); });
}

std::vector<TBatchPage*> TMainWindow::BatchPages() const {
    return {massPage, clearPage, tagFromNamePage, renamePage, tagListPage};
}

std::vector<TFormatEditor*> TMainWindow::FormatEditors() const {
    return {renamePage->editor, tagFromNamePage->editor, tagListPage->editor};
}

void TMainWindow::SetDialogs(TAddTagDialog& addTag, TAddWordDialog& addWord) {
    context_.addTagDialog = &addTag;
    context_.addWordDialog = &addWord;
    // A tag added or edited in the dialog, from either list, is an edit of the shown file.
    connect(&addTag, &QDialog::accepted, browsePage, &TBrowsePage::MarkEdited);
}

void TMainWindow::FormCreate() {
    BatchMode.clear();
    LoadGenres();
}

void TMainWindow::LoadGenres() {
    // Filling the lists is not an edit of the boxes: no change handler runs.
    const QSignalBlocker quietBrowseBox(browsePage->genreBox);
    const QSignalBlocker quietMassBox(massPage->genreBox);
    const auto addGenre = [this](const std::string& name) {
        const QString genre = QString::fromStdString(name);
        AddSorted(*massPage->genreBox, genre);
        AddSorted(*browsePage->genreBox, genre);
    };
    if (!IsFile(kGenreFileName)) {
        for (const std::string& name : BuiltInGenres()) addGenre(name);
        return;
    }
    TTextFileReader reader(kGenreFileName);
    std::string line;
    for (;;) {
        platform_.ProcessPendingMessages();
        if (!reader.ReadLine(line)) break;
        addGenre(line);
    }
}

void TMainWindow::FormShow() { SetActivePage(browsePage); }

bool TMainWindow::FormCloseQuery() {
    if (!browsePage->ResolveUnsavedEdits()) return false;
    for (TFormatEditor* editor : FormatEditors()) editor->QuoteTexts();
    return true;
}

void TMainWindow::UnquoteTexts() {
    for (TFormatEditor* editor : FormatEditors()) editor->UnquoteTexts();
}

void TMainWindow::chooseFolder() {
    // Cancel leaves the folder as it was: an empty text made "/" would turn the next recursive run
    // into a walk over the whole file system.
    const auto chosen = platform_.ChooseDirectory(folderEdit->text().toStdString());
    if (!chosen) return;
    QString folder = QString::fromStdString(*chosen);
    if (!folder.endsWith('/')) folder += '/';
    // Listing a folder, the same one afresh too, takes the Browse page's edits away.
    if (!browsePage->ResolveUnsavedEdits()) return;
    if (folderEdit->text() == folder)
        onFolderChanged();
    else
        folderEdit->setText(folder);
}

void TMainWindow::onFolderChanged() {
    BatchMode.clear();
    browsePage->ListFolder(folderEdit->text().toStdString());
}

void TMainWindow::onPageChanged() {
    if (pages->currentWidget() != browsePage || browsePage->HasUnsavedEdits()) return;
    BatchMode.clear();
    browsePage->Revisit();
}

void TMainWindow::OpenFolder(const std::string& folder, const std::string& fileName) {
    folderEdit->setText(QString::fromStdString(folder));
    if (!fileName.empty()) browsePage->SelectFile(folder + fileName);
}

void TMainWindow::SetActivePage(QWidget* page) {
    const QSignalBlocker quiet(pages);
    pages->setCurrentWidget(page);
}

void TMainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    // Only the first show reads: the restored working directory is listed before FormShow runs.
    {
        const QScopedValueRollback restoring(context_.restoringSettings, true);
        settingsStorage.FormShowing();
    }
    // The designed or saved place may lie partly off a smaller or more scaled screen.
    KeepOnScreen(*this);
    context_.Handle([this] { FormShow(); });
}

void TMainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize extra = (size() - minimumSize()).expandedTo({0, 0});
    const QRect box = Scaled(QRect(8, 8, 577, 47));
    folderBox->resize(box.width() + extra.width(), box.height());
    folderEdit->resize(Scaled(QSize(433, 21)) + QSize(extra.width(), 0));
    folderButton->move(Scaled(QPoint(464, 16)) + QPoint(extra.width(), 0));
    pages->resize(Scaled(QRect(8, 64, 577, 513)).size() + extra);
    browsePage->Stretch(extra);
}

void TMainWindow::closeEvent(QCloseEvent* event) {
    if (!MayCloseDuringRun()) {
        event->ignore();
        return;
    }
    bool canClose = false;
    context_.Handle([this, &canClose] { canClose = FormCloseQuery(); });
    settingsStorage.FormClosing(canClose);
    if (canClose) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace parvex

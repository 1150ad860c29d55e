#include "app/main_window.h"

#include <QCloseEvent>
#include <QProxyStyle>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QSignalBlocker>
#include <filesystem>

#include "app/form_builder.h"
#include "app/genres.h"
#include "app/sorted_list.h"
#include "text/text_file_reader.h"

namespace parvex {

namespace {

constexpr const char* kVersionCaption = "Version " PARVEX_VERSION;

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

TForm1::TForm1(TPlatform& platform)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      platform_(platform) {
    setObjectName("Form1");
    // The title equals the application's name, so Qt adds no " — Parvex" of its own to it.
    setWindowTitle("Parvex");
    setFont(FormFont());
    setFixedSize(Scaled(kMainWindowLayoutSize));
    move(268, 107);
    CreateFrame();
    CreateBrowsePage();
    CreateMassPage();
    CreateClearPage();
    CreateFileNamePage();
    CreateRenamePage();
    CreateTagListPage();
    CreateLogPage();
    CreateFindFile();
    FormStorage1.SetOnRestorePlacement([this] { FormStorage1RestorePlacement(); });
    FormStorage1.SetErrorHandler([this](const std::string& message) {
        RunHandler(platform_, [this, &message] { platform_.ShowMessage(TMessageKind::Error, message); });
    });
    Handle([this] { FormCreate(); });
}

// Every control still exists here: the write, when there is one, sees the window as the user left it.
TForm1::~TForm1() { FormStorage1.FormDestroying(); }

void TForm1::CreateFrame() {
    GroupBox1 = MakeControl<QGroupBox>(this, "GroupBox1", {8, 8, 577, 47});
    GroupBox1->setTitle("Directory");
    Edit4 = MakeEdit(GroupBox1, "Edit4", {16, 16, 433, 21});
    Edit4->setReadOnly(true);
    BitBtn1 = MakeGlyphButton(GroupBox1, "BitBtn1", "&Directory", TGlyph::Folder, {464, 16, 99, 21});
    connect(BitBtn1, &QPushButton::clicked, this, [this] { Handle([this] { BitBtn1Click(); }); });

    PageControl1 = MakeControl<QTabWidget>(this, "PageControl1", {8, 64, 577, 513});
    auto* tabStyle = new TCompactTabStyle;
    tabStyle->setParent(PageControl1->tabBar());
    PageControl1->tabBar()->setStyle(tabStyle);
    const auto addPage = [this](const char* name, const char* caption) {
        auto* page = new QWidget;
        page->setObjectName(name);
        PageControl1->addTab(page, caption);
        return page;
    };
    TabSheet1 = addPage("TabSheet1", "Browse / Edit tags");
    TabSheet2 = addPage("TabSheet2", "Mass set tags");
    TabSheet3 = addPage("TabSheet3", "Clear tags");
    TabSheet4 = addPage("TabSheet4", "Tag based on filename");
    TabSheet5 = addPage("TabSheet5", "Rename based on tag");
    TabSheet7 = addPage("TabSheet7", "Tag from List");
    TabSheet6 = addPage("TabSheet6", "Log");
}

void TForm1::FormCreate() {
    Version->setText(kVersionCaption);
    Version->adjustSize();
    BatchMode.clear();
    LoadGenres();
}

void TForm1::LoadGenres() {
    // Filling the lists is not an edit of the boxes: no change handler runs.
    const QSignalBlocker quietBrowseBox(edit7);
    const QSignalBlocker quietMassBox(edit15);
    const auto addGenre = [this](const std::string& name) {
        const QString genre = QString::fromStdString(name);
        AddSorted(*edit15, genre);
        AddSorted(*edit7, genre);
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

void TForm1::FormShow() { SetActivePage(TabSheet1); }

bool TForm1::FormCloseQuery() {
    if (!ResolveUnsavedEdits()) return false;
    for (QLineEdit* separator : {edtFieldSep, Edit20, Edit9, Edit19, Edit22}) QuoteSeparatorText(*separator);
    return true;
}

void TForm1::FormStorage1RestorePlacement() {
    for (QLineEdit* separator : {edtFieldSep, Edit20, Edit19, Edit9, Edit22})
        UnquoteSeparatorText(*separator);
}

void TForm1::BitBtn1Click() {
    // Cancel leaves the folder as it was: an empty text made "/" would turn the next recursive run
    // into a walk over the whole file system.
    const auto chosen = platform_.ChooseDirectory(Edit4->text().toStdString());
    if (!chosen) return;
    QString folder = QString::fromStdString(*chosen);
    if (!folder.endsWith('/')) folder += '/';
    // Listing a folder, the same one afresh too, takes the Browse page's edits away.
    if (!ResolveUnsavedEdits()) return;
    if (Edit4->text() == folder)
        Edit4Change();
    else
        Edit4->setText(folder);
}

void TForm1::OpenFolder(const std::string& folder, const std::string& fileName) {
    Edit4->setText(QString::fromStdString(folder));
    if (!fileName.empty()) SelectListedFile(folder + fileName);
}

void TForm1::SetActivePage(QWidget* page) {
    const QSignalBlocker quiet(PageControl1);
    PageControl1->setCurrentWidget(page);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    // Only the first show reads: the restored working directory is listed before FormShow runs.
    {
        const QScopedValueRollback restoring(restoringSettings_, true);
        FormStorage1.FormShowing();
    }
    // The designed or saved place may lie partly off a smaller or more scaled screen.
    KeepOnScreen(*this);
    Handle([this] { FormShow(); });
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!MayCloseDuringRun()) {
        event->ignore();
        return;
    }
    bool canClose = false;
    Handle([this, &canClose] { canClose = FormCloseQuery(); });
    FormStorage1.FormClosing(canClose);
    if (canClose) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && enterMovesFocus_.contains(watched))
        return Edit10KeyPress(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

}  // namespace parvex

// Saves a picture of every page of the main window, of the two dialogs and of a run's preview, and
// the whole screen with the window on it, at its drawn size and maximised, for looking at the layout:
//   parvex_screenshots DIR [FOLDER] [--font-points N]
// FOLDER, when given, becomes the working directory shown on the window; --font-points stands for a
// desktop whose font has that size. Run under a real display server (scripts/screenshots.sh starts
// one with xvfb-run).

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/add_tag_dialog.h"
#include "app/add_word_dialog.h"
#include "app/main_window.h"
#include "app/platform/qt_platform.h"

namespace {

bool Save(const QPixmap& picture, const QString& file) {
    if (picture.save(file)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
}

bool Save(QWidget& widget, const QString& file) {
    QApplication::processEvents();
    return Save(widget.grab(), file);
}

// Shows the preview of a mass tag run over the folder (the artist set in every file) and saves the
// dialog as it opens; the dialog is then cancelled, so no file changes.
bool SavePreview(parvex::TMainWindow& form, const QString& file) {
    form.massPage->RowCheck(parvex::TTagField::Artist)->setChecked(true);
    form.massPage->RowEdit(parvex::TTagField::Artist)->setText("New artist");
    bool saved = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll.stop();
        saved = Save(*dialog, file);
        dialog->reject();
    });
    poll.start(50);
    form.massPage->previewButton->click();
    form.massPage->RowCheck(parvex::TTagField::Artist)->setChecked(false);
    return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName("Parvex");
    QStringList args = QApplication::arguments().mid(1);
    if (const qsizetype at = args.indexOf("--font-points"); at >= 0 && at + 1 < args.size()) {
        QFont font = QApplication::font();
        font.setPointSizeF(args[at + 1].toDouble());
        QApplication::setFont(font);
        args.remove(at, 2);
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: %s DIR [FOLDER] [--font-points N]\n", argv[0]);
        return 2;
    }
    const QDir out(args[0]);
    parvex::TQtPlatform platform;
    parvex::TMainWindow form(platform);
    parvex::TAddTagDialog addTag(&form, platform);
    parvex::TAddWordDialog addWord(&form);
    form.SetDialogs(addTag, addWord);
    // Pictures of the window as designed; the user's settings are neither shown nor overwritten.
    form.settingsStorage.SetActive(false);
    form.show();
    if (args.size() > 1) form.folderEdit->setText(args[1].endsWith('/') ? args[1] : args[1] + '/');
    // The table with every row read, its first file's tags shown.
    while (form.browsePage->libraryLoader->Loading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (form.browsePage->fileTable->model()->rowCount() > 0) form.browsePage->fileTable->selectRow(0);

    bool saved = true;
    for (int i = 0; i < form.pages->count(); ++i) {
        QWidget* page = form.pages->widget(i);
        form.SetActivePage(page);
        saved &= Save(form, out.filePath(QString("page%1-%2.png").arg(i + 1).arg(page->objectName())));
    }
    form.SetActivePage(form.browsePage);
    QApplication::processEvents();
    saved &= Save(form.screen()->grabWindow(0), out.filePath("screen.png"));
    // The window maximised: the table takes the room. Xvfb has no window manager to maximise it,
    // so the window is given the screen's area, as a maximise does.
    const QRect normal = form.geometry();
    form.setGeometry(form.screen()->availableGeometry());
    saved &= Save(form, out.filePath("page1-maximised.png"));
    form.setGeometry(normal);
    addTag.show();
    addTag.nameEdit->setText("URL");
    addTag.valueEdit->setPlainText("https://example.org/?a=b");
    saved &= Save(addTag, out.filePath("dialog-add-a-tag.png"));
    // Hidden again, so that the preview below does not take it for the preview's dialog.
    addTag.hide();
    addWord.show();
    addWord.wordEdit->setText("of");
    saved &= Save(addWord, out.filePath("dialog-add-a-word.png"));
    addWord.hide();
    if (args.size() > 1) saved &= SavePreview(form, out.filePath("dialog-preview.png"));
    return saved ? 0 : 1;
}

// Saves a picture of every page of the main window and of the two dialogs, for looking at the layout:
//   parvex_screenshots DIR [FOLDER]
// FOLDER, when given, becomes the working directory shown on the window. Run under a real display
// server (scripts/screenshots.sh starts one with xvfb-run).

#include <QApplication>
#include <QDir>
#include <cstdio>

#include "app/add_tag_dialog.h"
#include "app/add_word_dialog.h"
#include "app/main_window.h"
#include "app/platform/qt_platform.h"

namespace {

bool Save(QWidget& widget, const QString& file) {
    QApplication::processEvents();
    if (widget.grab().save(file)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName("Parvex");
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [FOLDER]\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    parvex::TQtPlatform platform;
    parvex::TForm1 form(platform);
    parvex::TForm2 addTag(&form, *form.BitBtn18, platform);
    parvex::TForm3 addWord(&form);
    // Pictures of the window as designed; the user's settings are neither shown nor overwritten.
    form.FormStorage1.SetActive(false);
    form.show();
    if (argc > 2) form.Edit4->setText(QString::fromLocal8Bit(argv[2]));
    if (form.Listview1->count() > 0) form.Listview1->setCurrentRow(0);  // show a file's tags

    bool saved = true;
    for (int i = 0; i < form.PageControl1->count(); ++i) {
        QWidget* page = form.PageControl1->widget(i);
        form.SetActivePage(page);
        saved &= Save(form, out.filePath(QString("page%1-%2.png").arg(i + 1).arg(page->objectName())));
    }
    addTag.show();
    addTag.Edit1->setText("URL");
    addTag.Memo1->setPlainText("https://example.org/?a=b");
    saved &= Save(addTag, out.filePath("dialog-add-a-tag.png"));
    addWord.show();
    addWord.Edit1->setText("of");
    saved &= Save(addWord, out.filePath("dialog-add-a-word.png"));
    return saved ? 0 : 1;
}

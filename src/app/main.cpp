// Parvex: start the application, create the main window and the two dialogs, run until the main
// window closes.

#include <QApplication>

#include "app/add_tag_dialog.h"
#include "app/add_word_dialog.h"
#include "app/main_window.h"
#include "app/platform/qt_platform.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Parvex");
    QApplication::setApplicationDisplayName("Parvex");

    parvex::TQtPlatform platform;
    parvex::TForm1 form1(platform);
    parvex::TForm2 form2(&form1, *form1.BitBtn18, platform);
    parvex::TForm3 form3(&form1);
    form1.SetDialogs(form2, form3);
    form1.show();
    return application.exec();
}

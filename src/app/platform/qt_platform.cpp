#include "app/platform/qt_platform.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWidget>

namespace parvex {

namespace {

QMessageBox::Icon IconOf(TMessageKind kind) {
    switch (kind) {
        case TMessageKind::Error:
            return QMessageBox::Critical;
        case TMessageKind::Warning:
            return QMessageBox::Warning;
        case TMessageKind::Information:
            break;
    }
    return QMessageBox::Information;
}

std::optional<std::string> Chosen(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

// The description without a trailing "(...)" of its own, which the masks replace.
QString DescriptionWithoutMasks(const QString& description) {
    const qsizetype open = description.lastIndexOf('(');
    return (open < 0 ? description : description.left(open)).trimmed();
}

QTableWidget* PlanTable(const std::vector<TPreviewRow>& rows, QWidget* parent) {
    auto* table = new QTableWidget(static_cast<int>(rows.size()), 4, parent);
    table->setObjectName("tblPlan");
    table->setHorizontalHeaderLabels(
        {"File", "Tag", "Old value / old name", "New value / new name / why not"});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const TPreviewRow& row = rows[r];
        int column = 0;
        for (const std::string* text : {&row.File, &row.Tag, &row.Old, &row.New})
            table->setItem(r, column++, new QTableWidgetItem(QString::fromStdString(*text)));
        table->item(r, 0)->setToolTip(QString::fromStdString(row.File));
    }
    // The file column takes the room the other columns leave, long paths shortened in the middle, so
    // that the last column shows whole with its header.
    table->setTextElideMode(Qt::ElideMiddle);
    QHeaderView* header = table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    return table;
}

// A message box whose text is shown as it stands: a file name in it may look like markup ("<b>x.ogg"),
// which Qt would otherwise guess to be rich text and render as formatting.
void SetPlainText(QMessageBox& box, const std::string& text) {
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
}

}  // namespace

void TQtPlatform::ShowMessage(TMessageKind kind, const std::string& text) {
    QMessageBox box(IconOf(kind), QApplication::applicationDisplayName(), QString(), QMessageBox::Ok,
                    QApplication::activeWindow());
    SetPlainText(box, text);
    box.exec();
}

bool TQtPlatform::ShowPlan(const std::vector<TPreviewRow>& rows) {
    QDialog dialog(QApplication::activeWindow());
    // Qt adds " — Parvex" to the title on its own.
    dialog.setWindowTitle("Preview");
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(
        rows.empty() ? "No file was found." : "Nothing is written until you press Apply.", &dialog));
    layout->addWidget(PlanTable(rows, &dialog));
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* apply = buttons->addButton("&Apply", QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    apply->setAutoDefault(false);
    cancel->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(760, 420);
    return dialog.exec() == QDialog::Accepted;
}

bool TQtPlatform::Confirm(const std::string& question) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), QString(),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    SetPlainText(box, question);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> TQtPlatform::ChooseDirectory(const std::string& start) {
    return Chosen(QFileDialog::getExistingDirectory(QApplication::activeWindow(), QString(),
                                                    QString::fromStdString(start),
                                                    QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly));
}

std::optional<std::string> TQtPlatform::ChooseOpenFile(const std::string& filter,
                                                       const std::string& fileName) {
    return Chosen(QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                               QString::fromStdString(fileName),
                                               QtNameFilters(filter).join(";;")));
}

std::optional<std::string> TQtPlatform::ChooseSaveFile(const std::string& filter,
                                                       const std::string& fileName) {
    return Chosen(QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(),
                                               QString::fromStdString(fileName),
                                               QtNameFilters(filter).join(";;")));
}

TSaveChoice TQtPlatform::AskSaveChanges(const std::string& question) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), QString(),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QApplication::activeWindow());
    SetPlainText(box, question);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return TSaveChoice::Save;
        case QMessageBox::Discard:
            return TSaveChoice::Discard;
        default:
            return TSaveChoice::Cancel;
    }
}

void TQtPlatform::BeginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void TQtPlatform::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

void TQtPlatform::ProcessPendingMessages() { QApplication::processEvents(); }

QStringList QtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString masks = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ');
        if (masks.isEmpty()) continue;
        filters << DescriptionWithoutMasks(parts[i]) + " (" + masks + ")";
    }
    return filters;
}

}  // namespace parvex

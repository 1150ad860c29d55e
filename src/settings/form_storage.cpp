#include "settings/form_storage.h"

#include <QLineEdit>
#include <array>
#include <exception>

namespace parvex {

namespace {

// What the main window keeps: the working folder, then the batch pages' boxes, lists and texts. The
// order matters where restoring one control triggers handlers that touch another (a name format's
// field boxes append to its order list, which is restored after them).
constexpr std::array<std::string_view, 143> kMainWindowStoredProps{
    "Edit4.Text", "CheckBox9.Checked", "CheckBox10.Checked", "CheckBox11.Checked", "CheckBox12.Checked",
    "CheckBox14.Checked", "CheckBox15.Checked", "CheckBox16.Checked", "Edit10.Text", "Edit11.Text",
    "Edit12.Text", "Edit13.Text", "Edit14.Text", "Edit16.Text", "CheckBox1.Checked", "CheckBox2.Checked",
    "CheckBox3.Checked", "CheckBox4.Checked", "CheckBox5.Checked", "CheckBox6.Checked", "CheckBox7.Checked",
    "CheckBox8.Checked", "CheckBox27.Checked", "CheckBox28.Checked", "CheckBox29.Checked",
    "CheckBox30.Checked", "CheckBox31.Checked", "CheckBox32.Checked", "CheckBox33.Checked",
    "CheckBox34.Checked", "CheckBox35.Checked", "CheckBox36.Checked", "Edit20.Text", "Edit9.Text",
    "CheckBox17.Checked", "CheckBox18.Checked", "CheckBox19.Checked", "CheckBox20.Checked",
    "CheckBox21.Checked", "CheckBox22.Checked", "CheckBox23.Checked", "CheckBox24.Checked",
    "CheckBox25.Checked", "CheckBox26.Checked", "edtFieldSep.Text", "Edit19.Text", "ListBox2.Items",
    "ListBox3.Items", "ListBox4.Items", "ListBox6.Items", "ListBox5.Items", "Edit18.Text", "Edit21.Text",
    "CheckBox37.Checked", "album_a.Checked", "album_o.Checked", "album_p.Checked", "artist_a.Checked",
    "artist_o.Checked", "artist_p.Checked", "comment_a.Checked", "comment_o.Checked", "comment_p.Checked",
    "date_a.Checked", "date_o.Checked", "date_p.Checked", "genre_a.Checked", "genre_o.Checked",
    "genre_p.Checked", "other_a.Checked", "other_o.Checked", "other_p.Checked", "title_a.Checked",
    "title_o.Checked", "title_p.Checked", "track_a.Checked", "track_o.Checked", "track_p.Checked",
    "CheckBox38.Checked", "CheckBox41.Checked", "CheckBox42.Checked", "CheckBox43.Checked",
    "CheckBox44.Checked", "CheckBox45.Checked", "CheckBox46.Checked", "CheckBox47.Checked",
    "CheckBox48.Checked", "ListBox7.Items", "ListBox8.Items", "Edit17.Text", "Edit22.Text", "Edit23.Text",
    "RadioButton1.Checked", "RadioButton2.Checked", "RadioButton3.Checked",
    "chkDontRenameUntaggedFiles.Checked", "radDontOverwriteTags.Checked", "radIgnoreTaggedFiles.Checked",
    "radTagAll.Checked", "edit15.Text", "CheckBox13.Checked", "clrContact.Checked", "clrCopyright.Checked",
    "clrISRC.Checked", "clrLicense.Checked", "clrLocation.Checked", "clrOrganization.Checked",
    "clrVersion.Checked", "CheckBox49.Checked", "CheckBox50.Checked", "CheckBox51.Checked",
    "CheckBox52.Checked", "CheckBox53.Checked", "CheckBox54.Checked", "CheckBox55.Checked", "Edit24.Text",
    "Edit25.Text", "Edit26.Text", "Edit27.Text", "Edit28.Text", "Edit29.Text", "Edit30.Text",
    "license_a.Checked", "license_o.Checked", "license_p.Checked", "location_a.Checked",
    "location_o.Checked", "location_p.Checked", "organization_a.Checked", "organization_o.Checked",
    "organization_p.Checked", "version_a.Checked", "version_o.Checked", "version_p.Checked",
    "contact_o.Checked", "contact_p.Checked", "copyright_a.Checked", "copyright_o.Checked",
    "copyright_p.Checked", "isrc_a.Checked", "isrc_o.Checked", "isrc_p.Checked", "contact_a.Checked",
};

}  // namespace

TFormStorage::TFormStorage(QWidget& form, const std::vector<std::string>& storedProps,
                           std::vector<std::string> wholeTexts)
    : TFormPlacement(form), wholeTexts_(std::move(wholeTexts)) {
    for (const auto& entry : storedProps)
        if (auto name = ParsePropName(entry)) storedProps_.push_back(std::move(*name));
}

void TFormStorage::WriteExtra(TIniDocument& doc, const std::string& section) {
    const TPropsStorage storage(Form(), section, wholeTexts_);
    for (const auto& name : storedProps_) storage.StoreProperty(name, doc);
}

void TFormStorage::ReadExtra(const TIniDocument& doc, const std::string& section) {
    const TPropsStorage storage(Form(), section, wholeTexts_);
    for (const auto& name : storedProps_) {
        // A handler that fails on one restored value must not keep the others from being restored.
        try {
            storage.LoadProperty(name, doc);
        } catch (const std::exception&) {
        }
    }
}

const std::vector<std::string>& MainWindowWholeTexts() {
    static const std::vector<std::string> texts = {"Edit10", "Edit11", "Edit12", "Edit13", "Edit14",
                                                   "edit15", "Edit16", "Edit24", "Edit25", "Edit26",
                                                   "Edit27", "Edit28", "Edit29", "Edit30"};
    return texts;
}

const std::vector<std::string>& MainWindowStoredProps() {
    static const std::vector<std::string> entries(kMainWindowStoredProps.begin(), kMainWindowStoredProps.end());
    return entries;
}

std::string QuoteSeparator(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string UnquoteSeparator(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return std::string(text.substr(1, text.size() - 2));
    return std::string(text);
}

void QuoteSeparatorText(QLineEdit& edit) {
    edit.setText(QString::fromStdString(QuoteSeparator(edit.text().toStdString())));
}

void UnquoteSeparatorText(QLineEdit& edit) {
    edit.setText(QString::fromStdString(UnquoteSeparator(edit.text().toStdString())));
}

}  // namespace parvex

// The main window's way into the viewer, and its «О программе» text.
#include "app/comtrade_form.h"

#include "app/opened_files.h"
#include "app/texts.h"
#include "comtrade/cp1251.h"
#include "comtrade/text_encodings.h"

namespace velk {
namespace {

// A path's text for a person (UTF-8): a byte of no character shown as such.
std::string ForPerson(const std::string& path) {
  return ToUtf8(path, TextEncoding::kUtf8);
}

}  // namespace

PictureRecords TFComtrade::ViewerRecords(ListBox box) const {
  const FileList& analog_list = controls.FileListBox1;
  const FileList& discrete_list = controls.FileListBox2;
  if (controls.SovmestButton) return {analog_list.SelectedFile(), discrete_list.SelectedFile()};
  const bool analog_first = box == ListBox::kFileListBox1;
  const FileList& first = analog_first ? analog_list : discrete_list;
  const bool first_chosen = !first.selected_name.empty();
  const bool show_analog = analog_first == first_chosen;
  const std::string path = (show_analog ? analog_list : discrete_list).SelectedFile();
  return show_analog ? PictureRecords{path, ""} : PictureRecords{"", path};
}

std::unique_ptr<RecordViewer> TFComtrade::OpenViewer(ListBox box) {
  for (const ListBox each : {ListBox::kFileListBox1, ListBox::kFileListBox2})
    if (!List(each).selected_name.empty()) CheckSelected(each);
  const PictureRecords records = ViewerRecords(box);
  // A record its check rejects opens nothing: its label says why.
  if (!records.analog.empty() && !controls.ConvertANLButton) return nullptr;
  if (!records.discrete.empty() && !controls.ConvertDISButton) return nullptr;
  if (records.analog.empty() && records.discrete.empty()) return nullptr;
  PictureOpening opening = RecordPicture::Open(records);
  if (!opening.picture) return nullptr;
  return std::make_unique<RecordViewer>(std::move(opening.picture));
}

std::unique_ptr<RecordViewer> TFComtrade::OpenFile(const std::string& path) {
  return OpenHandedFile(path, ui_);
}

std::string TFComtrade::AboutText() const {
  std::string about = Cp1251ToUtf8(text::kWindowCaption);
  about += "\n";
  about += Cp1251ToUtf8(text::kVersion);
  about += VELK_VERSION;
  about += "\n\n";
  about += Cp1251ToUtf8(text::kFoldersFileAt);
  about += "\n" + ForPerson(paths.LastFoldersPath);
  return about;
}

}  // namespace velk

// TFComtrade: the converter's main window as a plain object, without a toolkit.
//
// It holds what the window shows (captions, enabled flags, the selections of the
// two file lists), the conversion state (remembered folders, output paths) and
// what the header checks leave for the window (the analog header, the discrete
// record's own start fields). Its operations are the window's handlers, the
// header checks and the conversions: they gather their inputs from the lists
// and paths, run the record engine (analog/, discrete/, combined/) and show
// its outcomes in the labels and in message boxes. Message boxes go through
// UiServices, the operating system through SystemServices.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analog/analog_record.h"
#include "app/file_stamp.h"
#include "app/folder_conversion.h"
#include "app/output_settings.h"
#include "app/record_viewer.h"
#include "app/system_services.h"
#include "app/ui_services.h"
#include "comtrade/report.h"
#include "comtrade/start_moment.h"

namespace velk {

// A file list of the window: the folder it shows, the names it shows and the
// name selected in it. The selection is a name, never a row: a view draws
// `names` and highlights `selected_name`, and a list read again keeps it.
struct FileList {
  std::string folder;              // ends with the path separator
  std::vector<std::string> names;  // the folder's records, sorted as ListFolder sorts
  std::string selected_name;       // empty when nothing is selected
  FileStamp checked_stamp;         // of the selected record when it was last checked
  // Full path of the selected file, or empty when nothing is selected.
  std::string SelectedFile() const { return selected_name.empty() ? "" : folder + selected_name; }
  // Row of selected_name in names, or -1 when it is not shown.
  int SelectedRow() const;
};

// How often a view has the logic look at the highlighted records' stamps:
// their labels follow a record copied over in place within this and a check.
inline constexpr int kSelectedPollMs = 400;

// The names that the two file lists show, in any case.
inline constexpr std::string_view kAnalogRecordMask = "*.flh";
inline constexpr std::string_view kDiscreteRecordMask = "*.txt";

// The names of the ordinary files of folder that match mask ('*' and '?',
// letters in any case), sorted by name: what a file list shows.
std::vector<std::string> ListFolder(const std::string& folder, std::string_view mask);
// True iff name matches mask ('*' any run, '?' any one byte, ASCII letters in any case).
bool MatchesMask(std::string_view name, std::string_view mask);

// Line n (0 or 1) of the last-folders file at path without its line end, at
// most 199 characters; empty when the line is missing, nothing when the file
// cannot be opened.
std::optional<std::string> LastFoldersLine(const std::string& path, int n);

// The single-instance names: the lock the running program holds, and the
// request a second start sends it to come to the front.
inline constexpr std::string_view kInstanceLockName = "OneIKalvenor";
inline constexpr std::string_view kRestoreMessageName = "OnlyOneKalvenor";

// Captions (code page 1251) and enabled flags of the window's controls.
struct WindowControls {
  std::string NameLabel;
  std::string DateLabel;
  std::string TipLabel = "--";
  std::string DateLabelDIS;
  bool ConvertANLButton = false;
  bool ConvertDISButton = false;
  bool SovmestButton = false;
  FileList FileListBox1;  // analog records (*.flh)
  FileList FileListBox2;  // discrete records (*.txt)

  // While a folder is converted the three convert buttons show disabled and
  // their handlers do nothing; the views draw the *Shown flags.
  bool FolderConversionRunning = false;
  bool ConvertANLShown() const { return ConvertANLButton && !FolderConversionRunning; }
  bool ConvertDISShown() const { return ConvertDISButton && !FolderConversionRunning; }
  bool SovmestShown() const { return SovmestButton && !FolderConversionRunning; }

  std::string RestoreMsg;  // the request MainWindowHook answers
  bool hooked = false;     // MainWindowHook is installed
};

// Folders and output paths that the window remembers for the conversions.
struct ConversionPaths {
  std::string LastFoldersPath;
  std::string FolderANL;
  std::string FolderDIS;
  std::string OutPathANL;
  std::string OutPathDIS;
  std::string OutPathUNI;
  // The folder that holds the three default output folders when it is the
  // user's own (see PlaceOutputFolders); empty otherwise.
  std::string UserOutputFolder;
};

// What a folder run has done, for the progress window; once it is over,
// the summary window's text and folder.
struct FolderRunProgress {
  FolderConversion::Status status;
  bool finished = false;      // the run is over and its summary is to be shown now
  std::string summary;        // UTF-8, when finished
  std::string output_folder;  // «Открыть папку вывода», when finished
};

// The window's logic. Its public methods are what a view calls (the window's
// handlers and what they need to draw); what comes next (reading COMTRADE
// files back, analysis, settings, the files opened) comes as objects of their
// own that it holds, as the folder run is one.
class TFComtrade {
 public:
  TFComtrade(UiServices& ui, SystemServices& system);

  // ---- start and end of the window (app/window_logic.cpp, app/last_folders.cpp) ----
  // The constructor's last step, run by the window program only: the lists
  // show the working directory, the last-folders file finds its place, then
  // that file, when present, gives both remembered folders and the lists show
  // them.
  void RestoreLastFolders();
  void FormCreate();
  void FormDestroy();
  // Answers the request to come to the front; false for any other message.
  bool MainWindowHook(std::string_view message);
  void CloseButtonClick();

  // ---- choosing records (app/window_logic.cpp) ----
  void FLHButtonClick();
  void DISButtonClick();
  // The list of a box.
  FileList& List(ListBox box);
  // Both lists read again, as when a shown folder changed or the user comes
  // back to the window; true when either may show something new. A view
  // refreshes first and draws afterwards, so that what it draws is what the
  // records are now. A selected name that is gone is unselected and its list
  // checks no record: its label shows "Не найден", its convert button is
  // disabled, and the rule of SovmestButton runs, as after any change of
  // selection. A selected record whose stamp (FileStamp) differs from when it
  // was checked is checked again, as by a click.
  bool RefreshLists();
  // What a view asks a few times a second (kSelectedPollMs): a highlighted
  // record copied over in place changes no name in its folder, so no folder
  // watch reports it, only its stamp. Such a record is checked again as
  // RefreshLists checks it; true when the labels may have changed. Costs two
  // file stamps when nothing changed.
  bool RefreshSelected();
  // The user selected the row of name in a list, by mouse or keyboard: it
  // becomes the list's selection, and its header check runs (NameLabel,
  // DateLabel and TipLabel, or DateLabelDIS, and the convert button) followed
  // by the rule of SovmestButton.
  void ListClick(ListBox box, std::string_view name);
  // Enter (13) is swallowed (key becomes 0) and runs the list's convert click
  // when that button is enabled.
  void FileListBox1KeyPress(char& key);
  void FileListBox2KeyPress(char& key);

  // ---- converting (app/window_logic.cpp, app/conversions.cpp) ----
  // Each asks where to write the .cfg file, then converts the selected
  // record(s) there; nothing while a folder is converted.
  void ConvertANLButtonClick();
  void ConvertDISButtonClick();
  void SovmestButtonClick();

  // ---- the viewer and the menu (app/viewer_logic.cpp) ----
  // Opens «Просмотр записи» when asked from box (the list with the focus, or
  // whose row was double-clicked): both records when SovmestButton is
  // enabled, else box's selected record, else the other list's. Each record
  // is checked again as a click checks it, so its label shows what it is now;
  // a record that fails its check opens no viewer (nullptr), and nor does a
  // choice of none.
  std::unique_ptr<RecordViewer> OpenViewer(ListBox box);
  // Opens the viewer of a file handed to the window (named on its command
  // line, or by a second start): nullptr, with an error box that says why,
  // when it shows none (app/opened_files.h).
  std::unique_ptr<RecordViewer> OpenFile(const std::string& path);
  // «О программе»: the program's name, its version and where the
  // last-folders file lives (UTF-8, lines joined by "\n").
  std::string AboutText() const;

  // ---- whole folders and dropped files (app/folder_logic.cpp) ----
  // The dialog «Преобразовать папку» as it opens: the records folder is the
  // analog list's (or records_folder, a folder dropped on the window), the
  // output folder the one that holds comtrade_anl/, comtrade_dis/ and
  // comtrade_uni/ of the window's own conversions.
  FolderChoices FolderChoicesFor(const std::string& records_folder = "") const;
  // «Начать» with the folders as the user typed or chose them (TypedFolder
  // tidies each): starts converting the folder on a thread of its own, one
  // conversion per core, every pair in the output form; the convert buttons
  // are disabled meanwhile. The summary of the run before, if its window is still open, has been
  // seen: the view closes it when this returns true. False when nothing started (a run under way, a
  // folder not named).
  bool StartFolderConversion(FolderChoices choices);
  // What a view's timer shows while a run is under way. Once the run is over
  // the convert buttons come back, and the first poll that sees it says so
  // with the summary to show.
  FolderRunProgress PollFolderConversion();
  // «Отмена» of the progress window: the conversions under way finish.
  void CancelFolderConversion();
  // The summary window went, however it went: the next run may start.
  void FolderSummaryClosed();

  // What dropping these paths on the window would do: choose records (.flh
  // and .txt files, each for its list), open «Преобразовать папку…» for one
  // folder, open a viewer of each COMTRADE record (.cfg, .cff files; the view
  // calls OpenFile for each), or nothing (the drop is refused).
  enum class DropKind { kRecords, kFolder, kComtrade, kRefused };
  DropKind DropKindOf(const std::vector<std::string>& dropped) const;
  // Takes a drop: each record is chosen as «FLH файл» or «Дискр файл» would
  // choose it (its folder shown and remembered, the record highlighted and
  // checked). Returns the folder for «Преобразовать папку…» when one folder
  // was dropped; empty otherwise.
  std::string Drop(const std::vector<std::string>& dropped);

  // ---- the output form (app/output_form_logic.cpp) ----
  // «Формат вывода…» as it opens: the settings the conversions use now.
  const OutputSettings& output() const { return output_; }
  // «ОК»: the conversions and the folder dialog use settings from now on,
  // and the settings file beside the last-folders file keeps them; a file that
  // cannot be written is reported, the settings still hold for this run.
  void SetOutput(const OutputSettings& settings);
  // Reads the settings file, beside the last-folders file found at start
  // (source), or beside LastFoldersPath once that one exists.
  void RestoreOutput(const std::string& source);
  std::string OutputSettingsPath() const;
  // The window's caption (code page 1251): the program's name, and the
  // output form after it where that is not the default.
  std::string Caption() const;

  WindowControls controls;
  ConversionPaths paths;
  AnalogHeader analog;  // of the analog record last parsed
  // The start fields that the start pair of the last discrete record that
  // passed its check gives (none of the year): «Совместить» completes them
  // from the analog record, whichever was checked first.
  StartMoment discrete;

 private:
  // ---- the header checks and the conversions (app/conversions.cpp) ----
  // Header check of the record selected in FileListBox1: fills NameLabel,
  // DateLabel and TipLabel and enables ConvertANLButton iff the record is valid.
  void ReadHeaderANL();
  // Header check of the record selected in FileListBox2: fills DateLabelDIS
  // with what the record's start pair gives and enables ConvertDISButton iff
  // the record is sound; on success keeps the fields of its start pair.
  void ReadHeaderDIS();
  // Converts the selected analog record into the pair at OutPathANL.
  void ConvertANL();
  // Converts the selected discrete record into the pair at OutPathDIS; an
  // information box then tells when its start pair gave no time of day.
  void ConvertDIS();
  // Converts the selected analog and discrete records into one pair at OutPathUNI.
  void ConvertUNI();
  // Takes what an analog header parsed into the window's state and TipLabel.
  void TakeAnalogHeader(const AnalogHeader& header);

  // ---- the last-folders file and the output folders ----
  // The three default output paths stay beside the program where its folder
  // takes new files and holds comtrade_anl/, comtrade_dis/ or comtrade_uni/ (as
  // the unpacked program has them). Elsewhere (an installed program, whose
  // folder has none) they move into "velk-comtrade" under the user's documents
  // folder, whose output folders are made when a save dialog first needs them.
  void PlaceOutputFolders();
  void SetDefaultOutputPaths(const std::string& root);
  // Sets LastFoldersPath: beside the executable when a file can be created
  // there, else in the user's configuration folder. Returns the file to read
  // at start: LastFoldersPath, or the one beside the executable while the
  // user's own does not exist.
  std::string PlaceLastFoldersFile();
  // LastFoldersLine of path; a file that cannot be opened is reported, and
  // its line is empty.
  std::string ReadLastFolderAt(const std::string& path, int n);
  // Writes FolderANL and FolderDIS into the last-folders file; reports failure.
  void WriteLastFolders();

  // ---- the lists ----
  // The names a box shows ("*.flh" or "*.txt").
  static std::string_view MaskOf(ListBox box);
  bool SetListFolder(ListBox box, const std::string& folder);
  void ShowFolder(ListBox box, const std::string& folder);
  // Reads the list's folder again into its names, as RefreshLists does for
  // each; true when the names, the selection or the labels may have changed.
  bool RefreshList(ListBox box);
  void ChooseRecord(const FileDialogOptions& options, ListBox box, std::string& folder);
  // Shows and remembers the folder of the record at full and highlights and checks it.
  void TakeRecord(const std::string& full, ListBox box, std::string& folder);
  // Runs the header check of the list's selected record and then the rule of
  // SovmestButton, as every choice of a record does.
  void CheckSelected(ListBox box);
  void DecideSovmest();

  void ChooseOutput(std::string& out_path, void (TFComtrade::*convert)());
  // The records «Просмотр записи» shows when asked from box.
  PictureRecords ViewerRecords(ListBox box) const;

  UiServices& ui_;
  SystemServices& system_;
  FolderConversion folder_conversion_;
  OutputSettings output_;
};

}  // namespace velk

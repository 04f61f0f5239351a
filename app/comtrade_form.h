// TFComtrade: the converter's main window as a plain object, without a toolkit.
//
// It holds what the window shows (captions, enabled flags, the selections of the
// two file lists), the conversion state (remembered folders, output paths) and
// the state the readers share between operations (analog header, start moment,
// discrete tables, status words). Its operations are the window's handlers, the
// header checks and the conversions; each is defined in its subsystem's folder.
// Message boxes go through UiServices, the operating system through
// SystemServices. Every operation runs to its end and reports failures itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/system_services.h"
#include "app/ui_services.h"

namespace velk {

class InFile;
class OutFile;

// A file list of the window: the folder it shows and the name selected in it.
struct FileList {
  std::string folder;                // ends with the path separator
  std::string selected_name;         // empty when nothing is selected
  std::vector<std::string> names{};  // what the list shows, sorted by name
  // Full path of the selected file, or empty when nothing is selected.
  std::string SelectedFile() const { return selected_name.empty() ? "" : folder + selected_name; }
};

// The names that the two file lists show, in any case.
inline constexpr std::string_view kAnalogRecordMask = "*.flh";
inline constexpr std::string_view kDiscreteRecordMask = "*.txt";

// The names of the ordinary files of folder that match mask ('*' and '?',
// letters in any case), sorted by name: what a file list shows.
std::vector<std::string> ListFolder(const std::string& folder, std::string_view mask);
// True iff name matches mask ('*' any run, '?' any one byte, ASCII letters in any case).
bool MatchesMask(std::string_view name, std::string_view mask);

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
};

// What the header parser read from the analog record last parsed.
struct AnalogHeader {
  std::string StationNameANL;  // decoded, code page 1251
  int DeviceTypeANL = 0;       // the device type code, 99 for an unknown one
  int AnalogCountANL = 0;      // analog channels of the device type
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The start moment as text, shared by both readers: whichever ran last wrote it.
struct StartMoment {
  std::string day, month, year, hour, minute, second;
};

// One change of one discrete signal: at which entry of the time table, which
// channel (its index, 0 for the start pair's signal), and whether it dropped out.
struct DiscreteEvent {
  std::int32_t time_index = 0;
  std::int32_t channel = 0;
  bool drop_out = false;
};

// A discrete record as the reader holds it.
struct DiscreteTables {
  std::vector<std::string> names;      // channel c + 1 is names[c]; a "~" marks a first drop-out
  std::string pending_name;            // the name the start search stored last, not yet a channel
  std::vector<DiscreteEvent> events;   // entry 0 is the start event
  std::vector<std::int32_t> times{0};  // milliseconds after the start; entry 0 is the start
  std::vector<std::int32_t> initially_active;  // channels whose first event is a drop-out
  std::int64_t line_counter = 1;  // lines read by the start search and the check, plus 1
  // The start moment of the last discrete record that passed its header check.
  int month = 0, day = 0, hour = 0, minute = 0, second = 0;

  std::int32_t TimeCount() const { return static_cast<std::int32_t>(times.size()) - 1; }
  std::int32_t NameCount() const { return static_cast<std::int32_t>(names.size()); }
};

// The states of the digital channels in one data record: channel index c is
// bit c mod 16 of word c div 16 (1 = active).
struct StatusWords {
  std::vector<std::uint16_t> words;
};

class TextReader;

class TFComtrade {
 public:
  TFComtrade(UiServices& ui, SystemServices& system);

  // ---- analog record (analog/) ----
  // Reads the header of an open .flh file into `analog` and the start moment;
  // sets TipLabel. Returns 0 for a valid file, 1 for a damaged one.
  int ParseHeaderANL(InFile& flh);
  // Header check of the record selected in FileListBox1: fills NameLabel,
  // DateLabel and TipLabel and enables ConvertANLButton iff the record is valid.
  void ReadHeaderANL();
  // Puts what follows the sample number in a data record at out: the time
  // stamp 0, then the channels of the device type from an 18-byte sample, each
  // as its two bytes. Returns the end of what it put.
  char* WriteSampleANL(const unsigned char* sample, char* out) const;
  // Writes data records 1 to `samples` from the samples at the position of flh:
  // each its number, then what WriteSampleANL puts. Returns false when the
  // record is cut short.
  bool WriteSamplesANL(InFile& flh, OutFile& dat, std::int64_t samples);
  // Puts "," and each of the AnalogCountANL values of a BINARY record at out
  // (kValueFieldRoom bytes for each), given the record's bytes from its first
  // analog value on; returns the end of what it put.
  char* WriteValuesANL(const unsigned char* values, char* out) const;
  // Appends the analog channel lines of the device type, scaled from the
  // calibration block at the start of flh. Returns false when it is cut short.
  bool WriteChannelsANL(InFile& flh, OutFile& cfg);
  // Converts the selected analog record into the pair at OutPathANL.
  void ConvertANL();

  // ---- discrete record (discrete/) ----
  // Empties the discrete tables and sets the line counter to 1.
  void ResetDIS();
  // Reads a discrete record from its beginning up to and including the start
  // pair, taking the start moment. Returns 0, or the line counter where the
  // record is damaged.
  std::int64_t FindStartDIS(TextReader& record);
  // Checks a whole discrete record: the start pair, then every event pair up to
  // the end section. Returns 0, or the line counter where it is damaged.
  std::int64_t CheckEventsDIS(TextReader& record);
  // Reads the record selected in FileListBox2 into the discrete tables (the
  // caller runs ResetDIS first). When the record cannot be opened or its start
  // is damaged, shows "Не найден" or "Поврежден" with the line number and
  // returns false.
  bool ReadEventsDIS();
  // Header check of the record selected in FileListBox2: fills DateLabelDIS and
  // enables ConvertDISButton iff the record is sound; on success sets the
  // start-moment numbers of `discrete`.
  void ReadHeaderDIS();
  // Converts the selected discrete record into the pair at OutPathDIS.
  void ConvertDIS();
  // Appends one digital channel line per name, numbered from first.
  void WriteChannelsDIS(OutFile& cfg, std::int32_t first);
  // Writes one BINARY data record per group of events at one time into a new
  // file at path: sample number, time in milliseconds, status words.
  enum class DatResult { kWritten, kNotCreated, kWriteFailed };
  DatResult WriteDatDIS(const std::string& path);
  // Applies the count events in front of position end, last to first.
  void ApplyEventsDIS(std::size_t count, std::size_t end);
  // Sets (state 1) or clears (state 0) the bit of a channel index.
  void SetStatusBit(std::int32_t channel, int state);
  // Sets the bits of the channels active from the start of the record.
  void SetInitialBits();
  // Appends the status words of one data record.
  void WriteStatusWords(OutFile& dat);

  // ---- combined record (combined/) ----
  // Converts the selected analog and discrete records into one pair at OutPathUNI.
  void ConvertUNI();
  // Reads the status words of the next state record of the state file into the
  // current status words, then the following record's time. Returns that time in
  // milliseconds, or -1 when the state file ends.
  std::int32_t ReadStateUNI(InFile& states);
  // Puts the current status words of a data record at out; returns the end of
  // what it put.
  char* WriteStateUNI(char* out) const;

  // ---- the window (app/) ----
  // The constructor's last step, run by the window program only: the lists
  // show the working directory, then a last-folders file, when present, gives
  // both remembered folders and the lists show them.
  void RestoreLastFolders();
  // Line n (0 or 1) of the last-folders file without its line end, at most 199
  // characters; empty when the line is missing. Reports a file it cannot open.
  std::string ReadLastFolder(int n);
  // Writes FolderANL and FolderDIS into the last-folders file; reports failure.
  void WriteLastFolders();
  void FormCreate();
  void FormDestroy();
  // Answers the request to come to the front; false for any other message.
  bool MainWindowHook(std::string_view message);
  void CloseButtonClick();
  void FLHButtonClick();
  void DISButtonClick();
  void FileListBox1Click();
  void FileListBox2Click();
  // Enter (13) is swallowed (key becomes 0) and runs the list's convert click
  // when that button is enabled.
  void FileListBox1KeyPress(char& key);
  void FileListBox2KeyPress(char& key);
  void ConvertANLButtonClick();
  void ConvertDISButtonClick();
  void SovmestButtonClick();
  // Reads the list's folder again; keeps the selected name when it is still
  // there and clears it otherwise. True when what the list shows changed.
  bool RefreshList(ListBox box);
  // The user selected name in the list: runs the list's click handler.
  void ListClick(ListBox box, std::string_view name);

  // Line 1 of a configuration file with the analog record's station:
  // the name (commas and control characters as spaces) followed by ",,1999".
  std::string StationLine() const;
  // A time line of a configuration file: day/month/year,hour:minute:second and
  // the fraction, such as ".000000", from the start moment (commas and control
  // characters as spaces).
  std::string TimeLine(std::string_view fraction) const;
  // The configuration lines after the channels of a pair sampled 800 times a
  // second: frequency, rates with the sample count, start and trigger times,
  // file type and time multiplier.
  void WriteSampledTail(OutFile& cfg, std::int64_t samples) const;

  UiServices& ui() { return ui_; }
  SystemServices& system() { return system_; }

  WindowControls controls;
  ConversionPaths paths;
  AnalogHeader analog;
  StartMoment start;
  DiscreteTables discrete;
  StatusWords status;

 private:
  bool SetListFolder(FileList& list, const std::string& folder);
  void ChooseRecord(const FileDialogOptions& options, ListBox box, std::string& folder,
                    void (TFComtrade::*check)());
  void ChooseOutput(std::string& out_path, void (TFComtrade::*convert)());
  void DecideSovmest();

  UiServices& ui_;
  SystemServices& system_;
};

}  // namespace velk

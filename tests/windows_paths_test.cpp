// Paths as Windows users have them: the UTF-16 names of the system and the
// UTF-8 text the converter keeps them in, Cyrillic paths with blanks on the
// command line, paths over 260 characters, the last-folders file in code page
// 1251, and files that another program holds or that are read-only. The text
// conversions and empty paths are tried on every system; the rest only on Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "app/comtrade_form.h"
#include "cli/cli_run.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "comtrade/utf16.h"
#include "tests/support/fakes.h"
#include "tests/support/run_program.h"
#include "tools/records/record_builder.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace velk::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// ---- UTF-16 and UTF-8 ----

TEST(Utf16Text, EveryKindOfCodePointAndALoneSurrogateComeBackUnchanged) {
  const std::u16string names[] = {
      u"plain.flh",
      u"Пуск МТЗ №3.flh",        // two-byte forms and a three-byte sign
      u"\u20AC \uFFFD",          // three-byte forms at the top of the plane
      u"\U0001F600 \U0010FFFF",  // surrogate pairs: four-byte forms
      u"lone \xD800 high",       // names Windows allows but Unicode does not
      u"lone \xDC00 low at end \xDBFF",
  };
  for (const std::u16string& name : names) {
    const std::string utf8 = Utf8FromUtf16(name);
    EXPECT_EQ(Utf16FromUtf8(utf8), name) << utf8;
  }
  EXPECT_EQ(Utf8FromUtf16(u"Я\U0001F600"), "Я\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8FromUtf16(u"\xD800"), "\xED\xA0\x80");
}

TEST(Utf16Text, BytesThatAreNotUtf8HaveNoUtf16) {
  const std::string not_utf8[] = {
      "\xFF",                      // never a lead byte
      "\x80 stray continuation",   //
      "cut \xD0",                  // a two-byte form cut short
      "cut \xE2\x82",              // a three-byte form cut short
      "\xC0\xAF",                  // overlong "/"
      "\xE0\x80\xAF",              // overlong "/" again
      "\xF4\x90\x80\x80",          // above U+10FFFF
      "\xED\xA0\xBD\xED\xB8\x80",  // a surrogate pair spelled as two forms
      "\xD0\x41",                  // a lead byte followed by ASCII
      "\xC1\x81",                  // overlong "A"
  };
  for (const std::string& bytes : not_utf8) EXPECT_FALSE(Utf16FromUtf8(bytes)) << bytes;
}

TEST(CodePage1251, TextOutsideTheCodePageHasNoBytes) {
  EXPECT_EQ(Utf8ToCp1251("C:\\Записи\\Ёжик №1\\"), Cp("C:\\Записи\\Ёжик №1\\"));
  EXPECT_EQ(Utf8ToCp1251("€‚„…†‡"), "\x88\x82\x84\x85\x86\x87");
  EXPECT_EQ(Utf8ToCp1251(""), "");
  EXPECT_FALSE(Utf8ToCp1251("C:\\Ωμέγα\\"));   // Greek
  EXPECT_FALSE(Utf8ToCp1251("C:\\记录\\"));    // Chinese
  EXPECT_FALSE(Utf8ToCp1251("\xEF\xBF\xBD"));  // U+FFFD, which stands for byte 0x98
  EXPECT_FALSE(Utf8ToCp1251("\xD0"));          // not UTF-8
}

// ---- paths that name no file ----

TEST(CommandLinePaths, EmptyPathsAreFilesThatCannotBeOpenedNotACrash) {
  TempDir dir;
  FlhRecord r;
  WriteFile(dir / "rec.flh", r.Ramp(3).Bytes());
  const auto no_record = RunConvert({"analog", "", dir / "out.cfg"});
  EXPECT_EQ(no_record.status, kExitHeaderRejected);
  EXPECT_EQ(no_record.err, "Не найден\n");
  const auto no_output = RunConvert({"analog", dir / "rec.flh", ""});
  EXPECT_EQ(no_output.status, kExitConversionFailed);
  EXPECT_EQ(no_output.err, "Ошибка открытия файла\n");
  std::ostringstream out, err;
  EXPECT_EQ(RunCommandLine({"combined", dir / "rec.flh", "", ""}, dir.Folder(), out, err),
            kExitHeaderRejected);
  EXPECT_EQ(err.str(), "Не найден\n");
}

#ifdef _WIN32

FlhRecord Analog() {
  FlhRecord r;
  r.device_type = 31;
  r.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x45};
  return r.Ramp(20);
}

const Lines kOpenError = {"Ошибка открытия файла"};

Lines FilesIn(const std::string& folder) {
  Lines names;
  for (const FolderEntry& entry : FolderEntries(folder).value_or(std::vector<FolderEntry>{}))
    names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

// ---- the command line ----

TEST(WindowsCommandLine, TakesCyrillicPathsWithBlanksAndPrintsCyrillicMessages) {
  TempDir dir;
  const std::string folder = dir / "Записи ПС Северная 2024";
  fs::create_directories(FsPath(folder));
  WriteFile(folder + "\\Пуск МТЗ.flh", Analog().Bytes());
  const auto converted =
      RunConvert({"analog", folder + "\\Пуск МТЗ.flh", folder + "\\Итог «1».cfg"});
  EXPECT_EQ(converted.status, kExitConverted) << converted.err;
  EXPECT_EQ(FilesIn(folder), (Lines{"Итог «1».cfg", "Итог «1».dat", "Итог «1»ASCII.cfg",
                                    "Итог «1»ASCII.dat", "Пуск МТЗ.flh"}));

  // A name in an alphabet outside the ANSI code page reaches the program too.
  WriteFile(folder + "\\Ωμέγα.flh", Analog().Bytes());
  EXPECT_EQ(RunConvert({"analog", folder + "\\Ωμέγα.flh", folder + "\\Ω.cfg"}).status,
            kExitConverted);

  const auto missing = RunConvert({"analog", folder + "\\Нет такой.flh", folder + "\\x.cfg"});
  EXPECT_EQ(missing.status, kExitHeaderRejected);
  EXPECT_EQ(missing.err, "Не найден\n");
}

// ---- text that is not UTF-8 ----

TEST(WindowsPaths, TextThatIsNotUtf8NamesNoFileAndListsNoFolder) {
  TempDir dir;
  WriteFile(dir / "rec.flh", Analog().Bytes());
  const std::string bad = dir / "\xFF\xFE.flh";
  EXPECT_NO_THROW(FsPath(bad));
  EXPECT_FALSE(FileExists(bad));
  EXPECT_FALSE(FolderEntries(dir / "\xC0\xAF"));
  EXPECT_EQ(ListFolder(dir.Folder() + "\xFF", "*.*"), Lines{});

  FormFixture f;
  Select(f.form.controls.FileListBox1, dir / "rec.flh");
  ConvertInto(f.form, f.ui, &TFComtrade::ConvertANLButtonClick, dir / "\xFF.cfg");
  EXPECT_EQ(f.ui.errors, kOpenError);
  EXPECT_EQ(FilesIn(dir.Folder()), Lines{"rec.flh"});

  std::ostringstream out, err;
  EXPECT_EQ(RunCommandLine({"analog", dir / "\xFF.flh", dir / "o.cfg"}, dir.Folder(), out, err),
            kExitHeaderRejected);
  EXPECT_EQ(err.str(), "Не найден\n");
}

// ---- paths over 260 characters ----

TEST(WindowsPaths, PathsOver260CharactersGetTheLongPathPrefix) {
  const std::string folder = "C:\\records/" + std::string(300, 'x') + "\\sub\\..\\";
  const fs::path path = FsPath(folder + "rec.flh");
  EXPECT_EQ(path.native(), L"\\\\?\\C:\\records\\" + std::wstring(300, L'x') + L"\\rec.flh");
  EXPECT_EQ(PathText(path), "C:\\records\\" + std::string(300, 'x') + "\\rec.flh");

  const fs::path share = FsPath("\\\\server\\share\\" + std::string(300, 'y'));
  EXPECT_EQ(share.native(), L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'y'));
  EXPECT_EQ(PathText(share), "\\\\server\\share\\" + std::string(300, 'y'));

  // Short paths and relative ones stay as they are.
  EXPECT_EQ(FsPath("C:\\a/b.flh").native(), L"C:\\a/b.flh");
  EXPECT_EQ(FsPath(std::string(300, 'r')).native(), std::wstring(300, L'r'));
}

TEST(WindowsPaths, FolderOver260CharactersIsListedAndConvertedIn) {
  TempDir dir;
  std::string folder = dir.Folder();
  for (const char letter : {'a', 'b', 'c'}) folder += std::string(120, letter) + "\\";
  ASSERT_GT(folder.size(), 300u);
  fs::create_directories(FsPath(folder));
  WriteFile(folder + "rec.flh", Analog().Bytes());
  EXPECT_EQ(ListFolder(folder, "*.flh"), Lines{"rec.flh"});

  FormFixture f;
  Select(f.form.controls.FileListBox1, folder + "rec.flh");
  CheckSelected(f.form, ListBox::kFileListBox1);
  EXPECT_TRUE(f.form.controls.ConvertANLButton);
  ConvertInto(f.form, f.ui, &TFComtrade::ConvertANLButtonClick, folder + "out.cfg");
  EXPECT_EQ(f.ui.errors, Lines{});
  EXPECT_EQ(FilesIn(folder),
            (Lines{"out.cfg", "out.dat", "outASCII.cfg", "outASCII.dat", "rec.flh"}));
}

// ---- the last-folders file ----

TEST(WindowsLastFolders, CyrillicFoldersAreKeptInCodePage1251) {
  FormFixture f;
  const std::string folder = f.dir / "Записи ПС\\";
  fs::create_directories(FsPath(folder));
  WriteFile(folder + "Пуск.flh", Analog().Bytes());
  f.ui.open_answers.push_back(folder + "Пуск.flh");
  f.form.FLHButtonClick();
  EXPECT_EQ(f.ui.errors, Lines{});
  EXPECT_EQ(ReadFile(f.dir / "cmtrd.ddt"), Cp(folder) + "\r\n" + Cp(f.dir.Folder()) + "\r\n");

  FormFixture next;
  next.form.paths.LastFoldersPath = f.dir / "cmtrd.ddt";
  next.form.RestoreLastFolders();
  EXPECT_EQ(next.form.paths.FolderANL, folder);
  EXPECT_EQ(next.form.controls.FileListBox1.folder, folder);
}

TEST(WindowsLastFolders, FolderThatCodePage1251CannotSpellIsNotRemembered) {
  FormFixture f;
  const std::string before = Cp(f.dir.Folder()) + "\r\n" + Cp(f.dir.Folder()) + "\r\n";
  WriteFile(f.dir / "cmtrd.ddt", before);
  const std::string greek = f.dir / "Ωμέγα\\";
  fs::create_directories(FsPath(greek));
  WriteFile(greek + "rec.flh", Analog().Bytes());
  f.ui.open_answers.push_back(greek + "rec.flh");
  f.form.FLHButtonClick();
  // The message of a file that cannot be written; the file is left as it was,
  // and the record is chosen and checked all the same.
  EXPECT_EQ(f.ui.errors, Lines{"Ошибка записи файла"});
  EXPECT_EQ(ReadFile(f.dir / "cmtrd.ddt"), before);
  EXPECT_EQ(f.form.paths.FolderANL, greek);
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabel), "13.02.2019 16:33:45");
  EXPECT_TRUE(f.form.controls.ConvertANLButton);
}

// ---- files held by another program, read-only files ----

// A file opened by another program that lets nobody else read or write it.
class Held {
 public:
  explicit Held(const std::string& path)
      : handle_(CreateFileW(FsPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << path;
  }
  ~Held() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;

 private:
  HANDLE handle_;
};

TEST(WindowsFaults, RecordHeldByAnotherProgramIsNotFoundAndNothingIsWritten) {
  FormFixture f;
  const std::string record = f.Put("rec.flh", Analog().Bytes());
  Select(f.form.controls.FileListBox1, record);
  const Held held(record);
  CheckSelected(f.form, ListBox::kFileListBox1);
  EXPECT_FALSE(f.form.controls.ConvertANLButton);
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabel), "Не найден");
  ConvertInto(f.form, f.ui, &TFComtrade::ConvertANLButtonClick, f.dir / "out.cfg");
  EXPECT_EQ(f.ui.errors, Lines{"Файл не найден"});
  EXPECT_FALSE(Exists(f.dir / "out.cfg"));
}

TEST(WindowsFaults, OutputFileHeldByAnotherProgramStopsTheConversionAndStaysAsItWas) {
  for (const char* held_name : {"out.cfg", "outASCII.dat"}) {
    FormFixture f;
    Select(f.form.controls.FileListBox1, f.Put("rec.flh", Analog().Bytes()));
    WriteFile(f.dir / held_name, "old");
    {
      const Held held(f.dir / held_name);
      ConvertInto(f.form, f.ui, &TFComtrade::ConvertANLButtonClick, f.dir / "out.cfg");
    }
    EXPECT_EQ(f.ui.errors, kOpenError) << held_name;
    EXPECT_EQ(ReadFile(f.dir / held_name), "old") << held_name;
  }
}

TEST(WindowsFaults, ReadOnlyOutputFileIsNotReplaced) {
  TempDir dir;
  WriteFile(dir / "rec.flh", Analog().Bytes());
  WriteFile(dir / "out.cfg", "old");
  ASSERT_TRUE(SetFileAttributesW(FsPath(dir / "out.cfg").c_str(), FILE_ATTRIBUTE_READONLY));
  if (std::FILE* probe = _wfopen(FsPath(dir / "out.cfg").c_str(), L"ab")) {
    std::fclose(probe);
    SetFileAttributesW(FsPath(dir / "out.cfg").c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "this system writes read-only files (Wine run by root does): "
                    "try the read-only file on Windows itself";
  }
  const auto result = RunConvert({"analog", dir / "rec.flh", dir / "out.cfg"});
  EXPECT_EQ(result.status, kExitConversionFailed);
  EXPECT_EQ(result.err, "Ошибка открытия файла\n");
  EXPECT_EQ(ReadFile(dir / "out.cfg"), "old");
  EXPECT_EQ(FilesIn(dir.Folder()), (Lines{"out.cfg", "rec.flh"}));
  SetFileAttributesW(FsPath(dir / "out.cfg").c_str(), FILE_ATTRIBUTE_NORMAL);
}

#endif  // _WIN32

}  // namespace
}  // namespace velk::testing

#include "app/comtrade_form.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

#include "comtrade/file_io.h"
#include "platform/platform.h"

namespace velk {

namespace {

constexpr const char* kUserOutputFolder = "velk-comtrade";
constexpr std::array<const char*, 3> kOutputFolders = {"comtrade_anl", "comtrade_dis",
                                                       "comtrade_uni"};

// True iff root holds one of the three output folders.
bool HoldsOutputFolders(const std::string& root) {
  return std::any_of(kOutputFolders.begin(), kOutputFolders.end(), [&root](const char* name) {
    std::error_code error;
    return std::filesystem::is_directory(FsPath(root + name), error);
  });
}

}  // namespace

TFComtrade::TFComtrade(UiServices& ui, SystemServices& system)
    : ui_(ui), system_(system), output_(LocalUtcOffsetMinutes()) {
  const std::string exe = system_.ExecutableFolder();
  paths.FolderANL = exe;
  paths.FolderDIS = exe;
  SetDefaultOutputPaths(exe);
  paths.LastFoldersPath = exe + "cmtrd.ddt";
}

// The three conversions write by default into their own folders of root.
void TFComtrade::SetDefaultOutputPaths(const std::string& root) {
  paths.OutPathANL = root + kOutputFolders[0] + kPathSeparator + "sample_anl.cfg";
  paths.OutPathDIS = root + kOutputFolders[1] + kPathSeparator + "sample_dis.cfg";
  paths.OutPathUNI = root + kOutputFolders[2] + kPathSeparator + "sample_uni.cfg";
}

void TFComtrade::PlaceOutputFolders() {
  const std::string documents = system_.UserDocumentsFolder();
  const std::string program = system_.ExecutableFolder();
  if (documents.empty() || (HoldsOutputFolders(program) && system_.CanCreateFileIn(program)))
    return;
  paths.UserOutputFolder = documents + kUserOutputFolder + kPathSeparator;
  SetDefaultOutputPaths(paths.UserOutputFolder);
}

}  // namespace velk

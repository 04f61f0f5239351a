#include "app/comtrade_form.h"

#include "platform/platform.h"

namespace velk {

namespace {

constexpr const char* kUserOutputFolder = "velk-comtrade";

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
  paths.OutPathANL = root + "comtrade_anl" + kPathSeparator + "sample_anl.cfg";
  paths.OutPathDIS = root + "comtrade_dis" + kPathSeparator + "sample_dis.cfg";
  paths.OutPathUNI = root + "comtrade_uni" + kPathSeparator + "sample_uni.cfg";
}

void TFComtrade::PlaceOutputFolders() {
  const std::string documents = system_.UserDocumentsFolder();
  if (documents.empty() || system_.CanCreateFileIn(system_.ExecutableFolder())) return;
  paths.UserOutputFolder = documents + kUserOutputFolder + kPathSeparator;
  SetDefaultOutputPaths(paths.UserOutputFolder);
}

}  // namespace velk

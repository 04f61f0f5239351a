#include "app/comtrade_form.h"

#include "platform/platform.h"

namespace velk {

namespace {

#ifdef _WIN32
constexpr const char* kSeparator = "\\";
#else
constexpr const char* kSeparator = "/";
#endif
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
  paths.OutPathANL = root + "comtrade_anl" + kSeparator + "sample_anl.cfg";
  paths.OutPathDIS = root + "comtrade_dis" + kSeparator + "sample_dis.cfg";
  paths.OutPathUNI = root + "comtrade_uni" + kSeparator + "sample_uni.cfg";
}

void TFComtrade::PlaceOutputFolders() {
  const std::string documents = system_.UserDocumentsFolder();
  if (documents.empty() || system_.CanCreateFileIn(system_.ExecutableFolder())) return;
  paths.UserOutputFolder = documents + kUserOutputFolder + kSeparator;
  SetDefaultOutputPaths(paths.UserOutputFolder);
}

}  // namespace velk

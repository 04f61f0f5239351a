#include "app/comtrade_form.h"

namespace velk {

TFComtrade::TFComtrade(UiServices& ui, SystemServices& system) : ui_(ui), system_(system) {
  const std::string exe = system_.ExecutableFolder();
  paths.FolderANL = exe;
  paths.FolderDIS = exe;
#ifdef _WIN32
  const char* sep = "\\";
#else
  const char* sep = "/";
#endif
  paths.OutPathANL = exe + "comtrade_anl" + sep + "sample_anl.cfg";
  paths.OutPathDIS = exe + "comtrade_dis" + sep + "sample_dis.cfg";
  paths.OutPathUNI = exe + "comtrade_uni" + sep + "sample_uni.cfg";
  paths.LastFoldersPath = exe + "cmtrd.ddt";
}

}  // namespace velk

// The window's output form: the settings «Формат вывода…» sets, where they are
// kept, and the caption that shows them.
#include "app/comtrade_form.h"
#include "app/texts.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "comtrade/report.h"
#include "platform/platform.h"

namespace velk {

std::string TFComtrade::OutputSettingsPath() const {
  return OutputSettingsPathBeside(paths.LastFoldersPath);
}

// A damaged file says nothing at start: what it held sensibly is taken, and the
// next «ОК» writes it whole again.
void TFComtrade::RestoreOutput(const std::string& source) {
  const std::string own = OutputSettingsPath();
  if (output_.Load(own) == OutputSettings::Loaded::kMissing && source != paths.LastFoldersPath)
    output_.Load(OutputSettingsPathBeside(source));
}

void TFComtrade::SetOutput(const OutputSettings& settings) {
  output_ = settings;
  const std::string path = OutputSettingsPath();
  // The user's configuration folder is made when a file first goes there.
  const std::string folder = FolderOf(path);
  if (!folder.empty() && folder == system_.UserConfigFolder()) system_.MakeFolder(folder);
  if (!output_.Save(path)) ui_.ErrorBox(MessageText({Failure::kWriteError, path}));
}

std::string TFComtrade::Caption() const {
  const std::string mark = FormMark(output_.Form());
  return std::string(text::kWindowCaption) + (mark.empty() ? "" : " [" + mark + "]");
}

}  // namespace velk

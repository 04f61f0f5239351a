// velk-convert picture: the picture of a record, or of an analog and a
// discrete record of one start moment, as an SVG file.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

// The command's lines of the help text.
std::string_view PictureHelp();

// Runs `picture` with the arguments after the command's name; returns the
// exit status (cli_texts.h).
int RunPicture(const std::vector<std::string>& args, std::ostream& err);

}  // namespace velk

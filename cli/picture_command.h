// velk-convert picture: the picture of a record, or of an analog and a
// discrete record of one start moment, as an SVG file.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "picture/record_picture.h"

namespace velk {

// The command's lines of the help text.
std::string_view PictureHelp();

// The record a command shows: the COMTRADE record at comtrade when it is
// named, else our records (checked as their conversion checks them, one start
// moment for two). Nothing, with the reason written to err, when it cannot be
// shown.
std::unique_ptr<RecordPicture> OpenShownRecord(const std::string& comtrade,
                                               const PictureRecords& records, std::ostream& err);

// Runs `picture` with the arguments after the command's name; returns the
// exit status (cli_texts.h).
int RunPicture(const std::vector<std::string>& args, std::ostream& err);

}  // namespace velk

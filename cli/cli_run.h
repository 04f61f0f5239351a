// velk-convert: the converter's command line. It does what the window allows and
// nothing else: a conversion runs only after its header check succeeds.
//
//   velk-convert analog RECORD.flh OUT.cfg
//   velk-convert discrete RECORD.txt OUT.cfg
//   velk-convert combined RECORD.flh RECORD.txt OUT.cfg
//
// Exit status: 0 converted (nothing printed); 1 the conversion failed (its
// messages on the error stream, one per line, UTF-8); 2 a header check failed
// (its label text, such as "Поврежден", on the error stream) or the two records
// of a combined conversion do not start at the same moment; 64 wrong usage.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_texts.h"

namespace velk {

// Runs one command; args excludes the program name. executable_folder is the
// program's own folder, which no conversion of the command line writes into:
// the combined conversion's state file lives in a private temporary folder.
int RunCommandLine(const std::vector<std::string>& args, const std::string& executable_folder,
                   std::ostream& out, std::ostream& err);

}  // namespace velk

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

namespace velk {

inline constexpr int kExitConverted = 0;
inline constexpr int kExitConversionFailed = 1;
inline constexpr int kExitHeaderRejected = 2;
inline constexpr int kExitUsage = 64;

// Runs one command; args excludes the program name.
int RunCommandLine(const std::vector<std::string>& args, const std::string& executable_folder,
                   std::ostream& out, std::ostream& err);

}  // namespace velk

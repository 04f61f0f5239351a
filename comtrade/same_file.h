// Whether a conversion would write over one of the records it converts.
//
// The user names the output .cfg freely and may answer "yes" to the overwrite
// question for it; the other files of the pair, and the combined conversion's
// state file, are replaced without a question. Were one of them a record being
// converted (by its own name, through a symbolic or a hard link, or by another
// spelling of its folder), writing it would destroy the record. Files are
// compared as the file system identifies them, so only paths that exist match.
//
// Each conversion asks after the checks of its records (so "Файл не найден",
// "Файл поврежден" and the discrete reader's messages come first) and before
// it writes its first file; a match reports "Ошибка открытия файла" alone.
#pragma once

#include <string>
#include <vector>

namespace velk {

// True iff both paths exist and name one and the same file.
bool SameFile(const std::string& a, const std::string& b);

// True iff any of outputs names the same file as any of records.
bool WritesOverRecord(const std::vector<std::string>& outputs,
                      const std::vector<std::string>& records);

}  // namespace velk
